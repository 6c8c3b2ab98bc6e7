// The columns of a family's field rows (Es1Fields.def, Es2Fields.def), and their meaning where a
// reader does not give them one. One row per member of the state record; both families write their
// rows in this one form, and every reader of a record expands the same rows, so adding a field is
// one row (plus its effect and restore). A reader defines the macros of its own parts (or includes
// the shared definitions: FieldTableRows.h, TextParts.h, views/core/PageParts.h,
// playback/probe/QueryParts.h), then includes the rows; this header makes every macro it left
// undefined say nothing, and FieldRowsEnd.h undefines them all again. No include guard: included
// once per expansion.
//
// Rows (`parts`: the member's parts, written one after the other without commas):
//   XQF_FIELD(member, text, page, probe, parts)                    every scalar value of the member
//   XQF_SOME(member, (flat indices), text, page, probe, parts)     only those values are state
//   XQF_CUSTOM(member, values, change, text, page, probe, parts)   its own change function
// `text`, `page`, `probe`: null when that reader shows every value of the member, otherwise why not
// (StateFields.h).
//
// Parts. The listing is made of places (a line, or a block of lines) in the order the family's
// listing gives them. `order` places a fragment among the fragments of its line, a page row among
// the rows of its group, a query among the probe's: the parts of each are numbered 1 to n, each
// number once, which the field table checks as it builds (FieldOrder.h: a repeated or skipped number
// is a compile error). Whole lines take no number: they follow a place's fragments in row order. A
// value expression reads the state `s` (and `a`, `b`: the state now and before, for a page
// comparison):
//   XQF_TEXT(place, order, format, values...)   a fragment of the place's line, its separator first
//   XQF_TEXT_LINE(place, format, values...)      a whole line of the listing
//   XQF_TEXT_LINES(place, function)              hand-written lines of the listing
//   XQF_PAGE(group, order, format, differs, values...)   a page row marked when `differs`
//   XQF_PAGE_UNMARKED(group, order, format, values...)   a page row never marked
//   XQF_PAGE_LINES(group, order, format, function)       hand-written page rows
//   XQF_QUERY(order, label, pname, count, kind, tracked) a probe query and its tracked value
//   XQF_QUERIES(order, function)                         hand-written probe queries
// Places, groups, GL query names and kinds are tokens: the reader that expands them gives them
// their meaning.
#ifndef XQF_FIELD
#define XQF_FIELD(member, text, page, probe, ...) __VA_ARGS__
#endif
#ifndef XQF_SOME
#define XQF_SOME(member, indices, text, page, probe, ...) __VA_ARGS__
#endif
#ifndef XQF_CUSTOM
#define XQF_CUSTOM(member, values, change, text, page, probe, ...) __VA_ARGS__
#endif
#ifndef XQF_TEXT
#define XQF_TEXT(place, order, format, ...)
#endif
#ifndef XQF_TEXT_LINE
#define XQF_TEXT_LINE(place, format, ...)
#endif
#ifndef XQF_TEXT_LINES
#define XQF_TEXT_LINES(place, function)
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
