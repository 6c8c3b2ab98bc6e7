// Undefines the row and part macros of the field rows (FieldRows.h) after an expansion.
#undef XQF_FIELD
#undef XQF_SOME
#undef XQF_CUSTOM
#undef XQF_TEXT
#undef XQF_TEXT_LINE
#undef XQF_TEXT_LINES
#undef XQF_PAGE
#undef XQF_PAGE_UNMARKED
#undef XQF_PAGE_LINES
#undef XQF_QUERY
#undef XQF_QUERIES
