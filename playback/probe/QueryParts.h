// Included in a family's probe right before its field rows (state/Es1Fields.def, Es2Fields.def):
// their query parts as TPlacedQuery initialisers (StateQueries.h). The probe names its record
// `State` (a type alias) before the include. No include guard: the rows undefine these macros after
// their expansion.
#define XQF_QUERY(order, label, pname, count, kind, tracked)                                               \
    TPlacedQuery<State>{order,                                                                              \
                        TStateQuery<State>{label, pname, count, EQueryKind::kind,                           \
                                           [](const State& s) { return tracked; }},                         \
                        nullptr},
#define XQF_QUERIES(order, function) TPlacedQuery<State>{order, TStateQuery<State>{}, function},
