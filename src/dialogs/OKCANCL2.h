// TOptiesVenster, the settings dialog: font, size, colour and input mode for the lines the main
// window creates from now on, previewed in a live formula line, and stored on request in the
// settings file "Instellingen.ops" (files/SettingsFile).
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "files/SettingsFile.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace zelm {

class TMathEditor;

class TOptiesVenster : public QDialog {
    Q_OBJECT
public:
    /// Results of ShowModal.
    static constexpr int mrOk = 1, mrCancel = 2;

    /// Creates the dialog, hidden. `mainFont` and `mainColor` are the main window's font now
    /// (they make the defaults); the settings file is read from `herstelDir`. A file that
    /// cannot be read is reported through `showError` (the program's error report when empty).
    TOptiesVenster(const FontDesc& mainFont, ColorRef mainColor, const QString& herstelDir,
                   QWidget* parent = nullptr, std::function<void(const QString&)> showError = {});
    ~TOptiesVenster() override;

    /// Shows the dialog modally; mrOk or mrCancel.
    int ShowModal();

    /// The stored settings; the main window reads them after OK.
    TOpties Opties;
    /// The defaults, fixed at creation.
    TOpties StandaardOpties;
    /// The face names behind the entries of the font list.
    QStringList FontNames;
    /// The main window's first line (its TextPlusCode), or nothing when it has no line.
    std::function<std::optional<Bytes>()> FirstLineTextPlusCode;
    /// The system beep of the input-mode choice; tests count it.
    std::function<void()> beep;

    // The controls, named as designed.
    TMathEditor* VoorbeeldEditor = nullptr;
    QTreeWidget* TreeView2 = nullptr;
    QWidget* Panel1 = nullptr;
    QGroupBox* RadioGroup1 = nullptr;
    QComboBox* LetterBox = nullptr;
    QComboBox* FormaatText = nullptr;
    QComboBox* Kleurbox = nullptr;
    QCheckBox* SaveOptiesCheck = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
    QPushButton* Stadaard = nullptr;

    /// The input-mode choice's selection: 0, 1, or -1 for none.
    int RadioGroupIndex() const;
    /// The tree node with this text.
    QTreeWidgetItem* Node(const QString& text) const;

    // Handlers and internal operations.
    void FormShow();
    void TreeView2Change();
    void FormaatTextEnter();
    void FormaatTextSelect(int index);
    void KleurboxEnter();
    void KleurboxSelect(int index);
    void LetterBoxSelect(int index);
    void RadioGroup1Enter();
    void RadioGroup1Click();
    void StadaardClick();
    void OKBtnClick();
    void LeesOpties();
    void SchrijfOpties();
    void ZetVoorbeeld(const TOpties& record);
    void VerbergPaginas();
    void ToonPagina(QWidget* control);

protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void FormCreate(const FontDesc& mainFont, ColorRef mainColor);
    void CreateControls();
    void CreateTree();
    void CreatePageControls();
    void SplitFontEntries();
    void SetRadioGroupIndex(int index);
    void FocusEntered(QWidget* old, QWidget* now);
    void ArrangePanel();
    void FitToControls();
    void SetPreviewFont(const FontDesc& font, ColorRef color);
    QString OptiesPath() const;

    QString herstelDir_;
    std::function<void(const QString&)> showError_;
    QButtonGroup* radioButtons_ = nullptr;
    bool arranging_ = false;
};

} // namespace zelm
