#pragma once
// The entries of an effect file's jump list (a shader or effect name and its line). Nothing in
// the program builds the list; the edit panel keeps the signal that would fill one.
#include <QList>
#include <QMetaType>
#include <QString>

class CVTLJumpList
{
public:
    struct SDesc
    {
        QString name;
        int line = 0;
    };
};

Q_DECLARE_METATYPE(CVTLJumpList::SDesc)
