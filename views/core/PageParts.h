// Included in a page's row table right before its family's field rows (state/Es1Fields.def,
// Es2Fields.def): their page parts as TFieldRow initialisers (StateRowTable.h). Columns: group, the
// row's place in the group, format (the text's printf format, checked by the compiler), then for
// one-line rows how the value is compared (a: now, b: before) and the format's arguments (s: the
// state); for hand-written rows the function that appends them. No include guard: the rows
// undefine these macros after their expansion.
#define XQF_PAGE(group, order, format, differs, ...)                                                       \
    {order,                                                                                                \
     {EStateGroup::group, format, [](const auto& s) { return FormatText(format, __VA_ARGS__); },           \
      [](const auto& a, const auto& b) { return bool(differs); }, nullptr}},
#define XQF_PAGE_UNMARKED(group, order, format, ...)                                                       \
    {order,                                                                                                \
     {EStateGroup::group, format, [](const auto& s) { return FormatText(format, __VA_ARGS__); }, nullptr,  \
      nullptr}},
#define XQF_PAGE_LINES(group, order, format, rows) {order, {EStateGroup::group, format, nullptr, nullptr, rows}},
