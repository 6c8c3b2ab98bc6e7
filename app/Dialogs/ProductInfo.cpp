#include "ProductInfo.h"

#include <QSysInfo>

QString productinfo::BuildSuffix()
{
    return " (build " + QSysInfo::kernelType() + "-" + QSysInfo::buildCpuArchitecture() + ")";
}
