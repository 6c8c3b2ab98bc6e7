// The part macros of the order check (FieldOrder.h): each numbered part of the field rows becomes
// its SFieldOrder entry. The whole lines of a listing (XQF_TEXT_LINE, XQF_TEXT_LINES) follow their
// place's fragments in row order: they take no number. No include guard: the rows undefine these macros
// (FieldRowsEnd.h) after their expansion.
#define XQF_TEXT(line, order, ...) SFieldOrder{EFieldPart::Text, #line, order},
#define XQF_PAGE(group, order, ...) SFieldOrder{EFieldPart::Page, #group, order},
#define XQF_PAGE_UNMARKED(group, order, ...) SFieldOrder{EFieldPart::Page, #group, order},
#define XQF_PAGE_LINES(group, order, ...) SFieldOrder{EFieldPart::Page, #group, order},
#define XQF_QUERY(order, ...) SFieldOrder{EFieldPart::Query, "", order},
#define XQF_QUERIES(order, ...) SFieldOrder{EFieldPart::Query, "", order},
