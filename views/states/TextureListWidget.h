#pragma once
// Every full texture upload of the trace with its thumbnail: a "Texture: N" item per texture and,
// under it, a "Level: N" item for each further upload of that texture that directly follows; each
// with its target, size, internal format and type, and the upload's call number under role 100.
#include <QFrame>

class QPixmap;
class QTreeWidget;
class QTreeWidgetItem;

class CTextureListWidget : public QFrame
{
    Q_OBJECT
public:
    explicit CTextureListWidget(QWidget* parent = nullptr, Qt::WindowFlags flags = {});

    void SetupUi();
    // clean false: a trace was opened, the list is built for it; true: the list is emptied.
    void UpdatedTrace(bool clean);
    void Populate();
    QTreeWidget* Tree() const { return m_tree; }

Q_SIGNALS:
    // The upload's call number and its record's thumbnail (owned by the controller).
    void TextureSelected(int callNumber, QPixmap* thumbnail);

private Q_SLOTS:
    void onTextureClick(QTreeWidgetItem* item);

private:
    QTreeWidget* m_tree = nullptr;
};
