#include "ShaderTextCodec.h"

#include <QStringDecoder>
#include <QStringEncoder>

SShaderText DecodeShaderText(QByteArrayView bytes)
{
    SShaderText result;
    // A byte-order mark stays in the text so that it is written back.
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    QString text = utf8.decode(bytes);
    // The decoder accepts some sequences it cannot give back byte for byte: only a round trip decides.
    if (!utf8.hasError() && text.toUtf8() == bytes) {
        result.text = std::move(text);
    } else {
        result.text = QString::fromLatin1(bytes);
        result.encoding = EShaderTextEncoding::Latin1;
    }
    const qsizetype breaks = bytes.count('\n');
    result.crlf = breaks > 0 && QByteArrayView(bytes).count("\r\n") == breaks;
    return result;
}

QByteArray EncodeShaderText(const QString& text, EShaderTextEncoding& encoding, bool crlf)
{
    QByteArray bytes;
    if (encoding == EShaderTextEncoding::Latin1) {
        bool fits = true;
        for (QChar c : text)
            if (c.unicode() > 0xFF) {
                fits = false;
                break;
            }
        if (fits)
            bytes = text.toLatin1();
        else
            encoding = EShaderTextEncoding::Utf8;
    }
    if (encoding == EShaderTextEncoding::Utf8)
        bytes = text.toUtf8();
    if (crlf)
        bytes.replace("\n", "\r\n");
    return bytes;
}
