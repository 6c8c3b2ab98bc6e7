// The columns of a family's field rows (Es1Fields.def, Es2Fields.def), and their meaning where a
// reader does not give them one. One row per member of the state record; every reader of the record
// expands the same rows, so adding a field is one row (plus its effect and restore). A reader
// defines the macros of its own parts, then includes the rows; this header makes every part it left
// undefined say nothing, and FieldRowsEnd.h undefines them all again. No include guard: included
// once per expansion.
//
// Rows (`parts`: the member's parts, written one after the other without commas):
//   XQF_FIELD(member, text, page, probe, parts)
//   XQF_CUSTOM(member, values, change, text, page, probe, parts)   its own change function
// ES 1.1 rows also name the member's listing lines, which that listing takes in row order:
//   XQF_LISTED(member, lines, page, probe, parts)   lines: XQF_VALUES, XQF_HEX or XQF_SHOWN
//   XQF_LINES(member, function, page, probe, parts)             hand-written lines
//   XQF_SOME(member, lines, page, probe, (flat indices), parts)  only those values are state
//   XQF_CUSTOM_LISTED(member, values, change, function, page, probe, parts)
//   XQF_TABLE(member, change, function, page, probe, parts)     an object table, listed last
// `text`, `page`, `probe`: null when that reader shows every value of the member, otherwise why not
// (StateFields.h).
//
// Parts. `order` places a part among the parts of its line, page group or probe: the parts of each
// are numbered 1 to n, each number once, which the field table checks as it builds (FieldOrder.h:
// a repeated or skipped number is a compile error). A value expression reads the state `s` (and
// `a`, `b`: the state now and before, for a page comparison):
//   XQF_TEXT(line, order, format, values...)    a fragment of a listing line, its separator first
//   XQF_TEXT_LINES(line, function)               hand-written lines of the listing
//   XQF_PAGE(group, order, format, differs, values...)   a page row marked when `differs`
//   XQF_PAGE_UNMARKED(group, order, format, values...)   a page row never marked
//   XQF_PAGE_LINES(group, order, format, function)       hand-written page rows
//   XQF_QUERY(order, label, pname, count, kind, tracked) a probe query and its tracked value
//   XQF_QUERIES(order, function)                         hand-written probe queries
// Lines, groups, GL query names and kinds are tokens: the reader that expands them gives them
// their meaning.
#ifndef XQF_FIELD
#define XQF_FIELD(member, text, page, probe, ...) __VA_ARGS__
#endif
#ifndef XQF_CUSTOM
#define XQF_CUSTOM(member, values, change, text, page, probe, ...) __VA_ARGS__
#endif
#ifndef XQF_LISTED
#define XQF_LISTED(member, lines, page, probe, ...) __VA_ARGS__
#endif
#ifndef XQF_LINES
#define XQF_LINES(member, function, page, probe, ...) __VA_ARGS__
#endif
#ifndef XQF_SOME
#define XQF_SOME(member, lines, page, probe, indices, ...) __VA_ARGS__
#endif
#ifndef XQF_CUSTOM_LISTED
#define XQF_CUSTOM_LISTED(member, values, change, function, page, probe, ...) __VA_ARGS__
#endif
#ifndef XQF_TABLE
#define XQF_TABLE(member, change, function, page, probe, ...) __VA_ARGS__
#endif
#ifndef XQF_TEXT
#define XQF_TEXT(line, order, format, ...)
#endif
#ifndef XQF_TEXT_LINES
#define XQF_TEXT_LINES(line, function)
#endif
#ifndef XQF_PAGE
#define XQF_PAGE(group, order, format, differs, ...)
#endif
#ifndef XQF_PAGE_UNMARKED
#define XQF_PAGE_UNMARKED(group, order, format, ...)
#endif
#ifndef XQF_PAGE_LINES
#define XQF_PAGE_LINES(group, order, format, function)
#endif
#ifndef XQF_QUERY
#define XQF_QUERY(order, label, pname, count, kind, tracked)
#endif
#ifndef XQF_QUERIES
#define XQF_QUERIES(order, function)
#endif
