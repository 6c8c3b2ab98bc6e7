#pragma once
// The zoomable, pannable image panel of the texture and frame-buffer viewers and the image-analysis
// dock: the source pixmap shown through a zoom chosen in a combo box (eight fixed steps and a "fit"
// entry computed from the view size), panned by dragging with the left button, zoomed with the
// wheel, with a context menu for 1:1, fit and a half turn, and an info line with the fit and flip
// marks.
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QWidget>

class QComboBox;
class QFrame;
class QHBoxLayout;
class QLabel;
class QMenu;
class QSpacerItem;
class QVBoxLayout;

// The viewer's form.
struct Ui_ImageViewer
{
    QVBoxLayout* verticalLayout = nullptr;
    QVBoxLayout* innerLayout = nullptr;
    QFrame* f_imageViewerFrame = nullptr;
    QVBoxLayout* frameLayout = nullptr;
    QLabel* l_imageViewer = nullptr;
    QFrame* frame = nullptr;
    QHBoxLayout* infoLayout = nullptr;
    QLabel* m_imageInfo = nullptr;
    QSpacerItem* spacer = nullptr;
    QComboBox* cb_zoom = nullptr;

    void setupUi(QWidget* viewer);
};

class GenericImageViewer : public QWidget
{
    Q_OBJECT
public:
    explicit GenericImageViewer(QWidget* parent = nullptr, Qt::WindowFlags flags = {});

    // Builds the form and sets the start state; called once by the owner.
    void Setup();
    void EnableContextMenu();
    void SetImage(const QPixmap& pixmap);
    void SetInfoText(const QString& text);
    // Back to showing nothing: no image, and the info line's "No data available".
    void Clear();
    // On: the image label paints the shown part of the image scaled (and turned) as it paints, in
    // place of holding a scaled copy made at every redraw; for a viewer whose image changes often.
    void SetScaleInPaint(bool on);
    // Recomputes the fit percentage for the view and image sizes and redraws.
    void RefreshFit();

    // What tests and owners read.
    const QPixmap& Image() const { return image; }
    QPixmap ShownPixmap() const;  // what the image label shows now (made on request when scaled in paint)
    const Ui_ImageViewer& Form() const { return ui; }
    bool Fit() const { return fit; }
    bool Flip() const { return flip; }
    float Scale() const { return scale; }
    QPoint Pan() const { return QPoint(panX, panY); }
    int FitPercent() const { return fitPercent; }
    int FitIndex() const { return fitIndex; }
    const QString& Info() const { return info; }
    // The menu showContextMenu opens: "1:1", "Fit", "Flip" (the caller owns it).
    QMenu* ContextMenu();

protected Q_SLOTS:
    void showContextMenu(const QPoint& pos);
    void onChangedZoomSlide(int index);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    void BuildZoomList();
    int ZoomPercentAt(int index) const;
    void DrawAtZoom(int percent);
    void ApplyFlip();
    void ToggleFit();
    void ToggleFlip();
    void OneToOne();
    // Makes index current, and draws it also when it already was.
    void SelectZoom(int index);

    uint8_t fit = 1;
    uint8_t flip = 0;
    float scale = 1.0f;
    int32_t panX = 0;
    int32_t panY = 0;
    int32_t fitPercent = 100;
    QPixmap image;
    Ui_ImageViewer ui;
    QString info;
    QRect viewRect;
    uint8_t dragging = 0;
    QPoint lastPos;
    int32_t fitIndex = 0;
    int32_t percent = 100;  // the zoom last drawn, so that redraws do not drift through the float scale
    uint8_t scaleInPaint = 0;
    QRect shownSource;  // scaled in paint: the part of the image shown, and the size it is shown at
    QSize shownSize;
};
