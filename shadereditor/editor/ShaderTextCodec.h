#pragma once
// How shader files' bytes become editor text and back. Bytes that are valid UTF-8 are read as
// UTF-8, anything else as Latin-1 (every byte one character), and a document is written back in
// the encoding it was read in, with the line ends it had, so a file opened and saved unchanged
// keeps its bytes.
#include <QByteArray>
#include <QString>

enum class EShaderTextEncoding
{
    Utf8,
    Latin1,
};

struct SShaderText
{
    QString text;
    EShaderTextEncoding encoding = EShaderTextEncoding::Utf8;
    bool crlf = false;   // every line break of the bytes was "\r\n"
};

SShaderText DecodeShaderText(QByteArrayView bytes);
// Text as the editor holds it ("\n" line breaks) back to bytes. A Latin-1 document holding a
// character beyond Latin-1 is written as UTF-8 (encoding is updated) rather than losing it.
QByteArray EncodeShaderText(const QString& text, EShaderTextEncoding& encoding, bool crlf);
