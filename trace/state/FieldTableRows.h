// Included in a family's field table right before its field rows (Es1Fields.def, Es2Fields.def):
// each row as its TStateField initialiser (StateFields.h). The table names its record `State` (a
// type alias) before the include. No include guard: the rows undefine these macros after their
// expansion.
#define XQF_FIELD(member, text, page, probe, ...) XQF_STATE_FIELD(State, member, text, page, probe),
#define XQF_SOME(member, indices, text, page, probe, ...)                                                   \
    XQF_STATE_SOME(State, member, text, page, probe, XQF_STATE_INDICES indices),
#define XQF_CUSTOM(member, values, change, text, page, probe, ...)                                          \
    XQF_STATE_CUSTOM(State, member, values, change, text, page, probe),
