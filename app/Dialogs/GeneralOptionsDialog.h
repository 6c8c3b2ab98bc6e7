#pragma once
// The "Preferences" dialog: edits four of the viewer options (shader compiler path, maximum
// number of search results, image analysis on or off, line numbers in text exports) and sets
// them when the user accepts valid values. The controller saves them with its other settings at
// exit.
#include <QDialog>

class QCheckBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPushButton;

class CGeneralOptionsDialog : public QDialog
{
    Q_OBJECT
public:
    explicit CGeneralOptionsDialog(QWidget* parent = nullptr, Qt::WindowFlags flags = {});

    // The limits of the search-results field.
    static constexpr int kMinSearchItems = 10;
    static constexpr int kMaxSearchItems = 10000;

protected:
    void showEvent(QShowEvent* event) override;

private Q_SLOTS:
    void SLTacceptButton();
    void SLTOpenChangeDirDialog();

private:
    void SetupUi();

    QCheckBox* cb_exportSaveIds = nullptr;
    QCheckBox* cb_imageAnaEnabled = nullptr;
    QLineEdit* le_maxSearch = nullptr;
    QLabel* l_pathCompiler = nullptr;
    QPushButton* pb_changeDir = nullptr;
    QDialogButtonBox* m_buttonDialog = nullptr;
};
