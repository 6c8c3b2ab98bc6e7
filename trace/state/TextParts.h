// Included in a family's listing right before its field rows (Es1Fields.def, Es2Fields.def): their
// listing parts as TTextPart initialisers (StateLines.h). The listing names its places in an enum
// `EPlace` before the include. No include guard: the rows undefine these macros after their
// expansion.
#define XQF_TEXT(place, order, format, ...)                                                               \
    TTextPart<State>{int(EPlace::place), order,                                                            \
                     [](std::string& text, const State& s) { AppendFormat(text, format, __VA_ARGS__); }, nullptr},
#define XQF_TEXT_LINE(place, format, ...)                                                                 \
    TTextPart<State>{int(EPlace::place), 0, nullptr,                                                       \
                     [](CStateLines& out, const State& s) { out(format, __VA_ARGS__); }},
#define XQF_TEXT_LINES(place, function) TTextPart<State>{int(EPlace::place), 0, nullptr, function},
