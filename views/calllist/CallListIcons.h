#pragma once
// Icons of the call list's tool bar and group buttons. The resource images are used when the
// program carries them; otherwise the icon is drawn here, so the list never shows blank buttons.
#include <QIcon>

enum class ECallListIcon { Expand, Collapse, Filter, FilterConfig, Search };

QIcon CallListIcon(ECallListIcon which, int size);
