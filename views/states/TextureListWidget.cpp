#include "states/TextureListWidget.h"

#include <QHBoxLayout>
#include <QTreeWidget>

#include "StatePage.h"
#include "TraceController.h"
#include "common/ViewWidgets.h"

namespace {
const int kCallRole = 100;

QString Enum(uint32_t value) { return QString::fromStdString(EnumText(value)); }
} // namespace

CTextureListWidget::CTextureListWidget(QWidget* parent, Qt::WindowFlags flags) : QFrame(parent, flags)
{
    SetupUi();
}

void CTextureListWidget::SetupUi()
{
    auto* layout = new QHBoxLayout(this);
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);
    m_tree = NewListTree(this);
    m_tree->setRootIsDecorated(true);
    layout->addWidget(m_tree);
    connect(m_tree, &QTreeWidget::itemClicked, this, &CTextureListWidget::onTextureClick);
}

void CTextureListWidget::UpdatedTrace(bool clean)
{
    // A dropped trace takes its items along (their icons are its thumbnails).
    if (clean)
        m_tree->clear();
    else
        Populate();
}

void CTextureListWidget::Populate()
{
    m_tree->clear();
    QFont bold = m_tree->font();
    bold.setWeight(QFont::Bold);
    QList<QTreeWidgetItem*> topLevel;
    QTreeWidgetItem* lastTexture = nullptr;
    bool first = true;
    uint32_t lastName = 0;
    for (const auto& t : *CTraceController::Instance()->GetTextures()) {
        // Further uploads of the texture just listed (its levels, its faces) group under it.
        QTreeWidgetItem* item;
        if (!first && t->textureName == lastName && lastTexture) {
            item = new QTreeWidgetItem(QStringList("Level: " + QString::number(t->level)));
            lastTexture->addChild(item);
        } else {
            item = new QTreeWidgetItem(QStringList("Texture: " + QString::number(t->textureName)));
            topLevel.append(item);
            lastTexture = item;
        }
        if (!t->thumbnail.isNull())
            item->setIcon(0, QIcon(t->thumbnail));
        item->setData(0, kCallRole, int(t->callNumber));
        item->setFont(0, bold);
        item->addChild(new QTreeWidgetItem(QStringList("Target: " + Enum(t->target))));
        item->addChild(new QTreeWidgetItem(
            QStringList("Dimension: " + QString::number(t->width) + "x" + QString::number(t->height))));
        item->addChild(new QTreeWidgetItem(QStringList("Internal Format: " + Enum(t->internalFormat))));
        item->addChild(new QTreeWidgetItem(QStringList("Type: " + Enum(t->type))));
        lastName = t->textureName;
        first = false;
    }
    m_tree->addTopLevelItems(topLevel);
}

void CTextureListWidget::onTextureClick(QTreeWidgetItem* item)
{
    if (!item)
        return;
    bool ok = false;
    const int callNumber = item->data(0, kCallRole).toInt(&ok);
    if (!ok)
        return;
    for (const auto& t : *CTraceController::Instance()->GetTextures())
        if (t->callNumber == uint32_t(callNumber)) {
            Q_EMIT TextureSelected(callNumber, &t->thumbnail);
            return;
        }
}
