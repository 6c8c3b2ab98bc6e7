#pragma once
// The texts of one call row, built when a row is bound and never kept per call: the parts of
// the line (plain text), the rich-text line, the tool tips, and the quick-help page name.
#include <QColor>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <cstdint>
#include <optional>

class CApiCall;

// Plain texts of the parts of a call's line, in display order.
struct SCallRowParts
{
    QString name;
    QStringList arguments;          // visible arguments only
    std::optional<QString> result;  // the return value, when the call has one
    std::optional<QString> error;   // the recorded error, unless it reads "no error"
};

// One argument's text in a row is cut at this many characters (the tool tip shows it whole):
// a long array would otherwise make a line wider than any screen and slow every rebind.
constexpr int kRowArgumentChars = 400;
// Tool tips stop after this many characters.
constexpr int kTipChars = 8000;

SCallRowParts DescribeCallRow(CApiCall& call);

// The line as rich text; textColour null writes no colour (highlighted rows). Every part is
// escaped, so recorded strings holding '<' or '&' show as written.
QString CallRowRichText(const SCallRowParts& parts, const QColor* textColour);

// Tool tips: the function's signature (callNumber name(argument names)), "name: long text" of
// an argument, the return value and the error. Empty when the part does not exist.
QString CallSignatureTip(CApiCall& call, uint32_t callNumber);
QString CallArgumentTip(CApiCall& call, int visibleArgument);
QString CallResultTip(CApiCall& call);
QString CallErrorTip(CApiCall& call);

// The reference page of a function: trailing v, f, x, i (each once, in that order), one digit
// 1 to 4, then a trailing "Matrix" are removed from the name.
QString QuickHelpPageName(const QString& functionName);
QUrl QuickHelpUrl(const QString& functionName);
