#include "ProductInfo.h"

#include <QSysInfo>

QString ProductInfo::BuildSuffix()
{
    return " (build " + QSysInfo::kernelType() + "-" + QSysInfo::buildCpuArchitecture() + ")";
}
