#include "dialogs/OKCANCL2.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QTreeWidget>

#include <algorithm>
#include <exception>

#include "dialogs/FontDialog.h"
#include "editor/LineEditor.h"
#include "files/FileIO.h"
#include "files/SettingsFile.h"
#include "formula/Errors.h"
#include "platform/ErrorReport.h"
#include "platform/Paths.h"
#include "platform/QtCanvas.h"
#include "platform/WorkArea.h"

namespace zelm {

namespace {

// The dialog as designed, in pixels at 96 dpi.
constexpr QPoint DesignedPosition{1029, 386};
constexpr QSize DesignedClient{512, 169};
constexpr QRect OKBtnRect{6, 117, 57, 25};
constexpr QRect CancelBtnRect{69, 117, 51, 25};
constexpr QRect TreeView2Rect{0, 0, 121, 111};
constexpr QRect Panel1Rect{127, 2, 385, 115};
constexpr QRect SaveOptiesRect{7, 148, 80, 21};
constexpr QRect StadaardRect{126, 148, 90, 21};
constexpr int TreeIndent = 19;
constexpr int DialogFontPixels = 11;
constexpr int RadioGroupHeight = 49;
constexpr int ComboHeight = 21;
constexpr int KleurboxHeight = 22;
constexpr int KleurEntryHeight = 16;

// The font list as designed: shown name "=" face name.
const QStringList LetterEntries = {"officieel=Tahoma", "Handgeschreven=Tangerine", "Netjes=Arial"};
const QStringList FormaatEntries = {"8",  "9",  "10", "11", "12", "14", "16", "18",
                                    "20", "22", "24", "26", "28", "36", "48", "72"};
const QString PreviewStart = "3A+2b";
const QString EmptyLinePreview = "Voorbeeld";
// A line with nothing typed: its leading blank and an empty code string.
const Bytes EmptyLineTextPlusCode = Bytes(" ") + '\0';

bool Inside(const QWidget* w, const QWidget* control) {
    return w && (w == control || control->isAncestorOf(w));
}

} // namespace

TOptiesVenster::TOptiesVenster(const FontDesc& mainFont, ColorRef mainColor,
                               const QString& herstelDir, QWidget* parent,
                               std::function<void(const QString&)> showError)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      herstelDir_(herstelDir), showError_(std::move(showError)) {
    if (!showError_) showError_ = [this](const QString& m) { ShowMessageBox(this, m, true); };
    beep = [] { QApplication::beep(); };
    setWindowTitle("Opties voor ZelmRdit");
    setModal(true);
    // The controls are placed for this font: Tahoma, 8 points at 96 dpi.
    QFont designed("Tahoma");
    designed.setPixelSize(DialogFontPixels);
    setFont(designed);
    CreateControls();
    FormCreate(mainFont, mainColor);
}

// The controls go after this object has stopped being a TOptiesVenster: nothing they report
// on their way out may reach it any more.
TOptiesVenster::~TOptiesVenster() {
    disconnect(qApp, nullptr, this, nullptr);
    for (QWidget* child : Panel1->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        child->removeEventFilter(this);
}

void TOptiesVenster::CreateControls() {
    OKBtn = new QPushButton("OK", this);
    OKBtn->setGeometry(OKBtnRect);
    OKBtn->setDefault(true);
    OKBtn->setAccessibleName("OK");
    connect(OKBtn, &QPushButton::clicked, this, &TOptiesVenster::OKBtnClick);
    CancelBtn = new QPushButton("Anuleren", this);
    CancelBtn->setGeometry(CancelBtnRect);
    CancelBtn->setAccessibleName("Annuleren");
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject); // Escape does the same
    CreateTree();
    Panel1 = new QWidget(this);
    Panel1->setGeometry(Panel1Rect);
    Panel1->setAccessibleName("Pagina");
    CreatePageControls();
    SaveOptiesCheck = new QCheckBox("Save Opties", this);
    SaveOptiesCheck->setGeometry(SaveOptiesRect);
    SaveOptiesCheck->setAccessibleName("Opties bewaren");
    Stadaard = new QPushButton("StadaardOpt", this);
    Stadaard->setGeometry(StadaardRect);
    Stadaard->setAccessibleName("Standaardopties");
    Stadaard->setAutoDefault(false);
    connect(Stadaard, &QPushButton::clicked, this, &TOptiesVenster::StadaardClick);
    OKBtn->setAutoDefault(false);
    CancelBtn->setAutoDefault(false);
    connect(qApp, &QApplication::focusChanged, this, &TOptiesVenster::FocusEntered);
}

void TOptiesVenster::CreateTree() {
    TreeView2 = new QTreeWidget(this);
    TreeView2->setGeometry(TreeView2Rect);
    TreeView2->setIndentation(TreeIndent);
    TreeView2->setHeaderHidden(true);
    TreeView2->setAccessibleName("Onderwerpen");
    TreeView2->setColumnCount(1);
    auto* tekst = new QTreeWidgetItem(TreeView2, {"Tekst"});
    for (const char* page : {"Kleur", "Formaat", "VarCursief", "Letters"})
        new QTreeWidgetItem(tekst, {page});
    new QTreeWidgetItem(TreeView2, {"Marges"});
    new QTreeWidgetItem(TreeView2, {"Papier Formaat"});
    connect(TreeView2, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* now, QTreeWidgetItem* before) {
                if (now != before) TreeView2Change();
            });
}

void TOptiesVenster::CreatePageControls() {
    RadioGroup1 = new QGroupBox(Panel1);
    RadioGroup1->setFixedHeight(RadioGroupHeight);
    RadioGroup1->setAccessibleName("Invoer");
    radioButtons_ = new QButtonGroup(RadioGroup1);
    auto* plain = new QRadioButton("Eenvoudige Text", RadioGroup1);
    auto* math = new QRadioButton("Wiskundige Invoer", RadioGroup1);
    plain->setGeometry(8, 6, 180, 18);
    math->setGeometry(8, 25, 180, 18);
    radioButtons_->addButton(plain, 0);
    radioButtons_->addButton(math, 1);
    // A changed selection, by a click or by entering the page, runs the click handler once.
    connect(radioButtons_, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked) RadioGroup1Click();
    });

    LetterBox = new QComboBox(Panel1);
    FormaatText = new QComboBox(Panel1);
    for (QComboBox* box : {LetterBox, FormaatText}) {
        // The edit field takes typing, but only choosing an entry changes anything.
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        box->setDuplicatesEnabled(true);
        box->setCompleter(nullptr);
        box->setFixedHeight(ComboHeight);
    }
    LetterBox->setAccessibleName("Lettertype");
    FormaatText->setAccessibleName("Lettergrootte");
    LetterBox->addItems(LetterEntries);
    LetterBox->setCurrentIndex(-1);
    connect(LetterBox, &QComboBox::activated, this, &TOptiesVenster::LetterBoxSelect);
    FormaatText->addItems(FormaatEntries);
    FormaatText->setCurrentIndex(-1);
    FormaatText->setEditText("FormaatText");
    connect(FormaatText, &QComboBox::activated, this, &TOptiesVenster::FormaatTextSelect);

    Kleurbox = new QComboBox(Panel1);
    Kleurbox->setFixedHeight(KleurboxHeight);
    Kleurbox->setAccessibleName("Kleur");
    connect(Kleurbox, &QComboBox::activated, this, &TOptiesVenster::KleurboxSelect);

    for (QWidget* child : {static_cast<QWidget*>(RadioGroup1), static_cast<QWidget*>(LetterBox),
                           static_cast<QWidget*>(FormaatText), static_cast<QWidget*>(Kleurbox)})
        child->installEventFilter(this);
}

void TOptiesVenster::FormCreate(const FontDesc& mainFont, ColorRef mainColor) {
    VoorbeeldEditor = new TMathEditor(Panel1);
    VoorbeeldEditor->installEventFilter(this); // its height stacks the page below it
    VoorbeeldEditor->setAccessibleName("Voorbeeld");
    VoorbeeldEditor->SetText(PreviewStart.toStdString());
    FillColourList(*Kleurbox, KleurEntryHeight - 2);
    SplitFontEntries();
    StandaardOpties.font = FontToRecord(mainFont, mainColor);
    StandaardOpties.plainText = true;
    Opties = StandaardOpties;
    if (FileExists(NativePath(OptiesPath()))) {
        try {
            LeesOpties();
        } catch (const std::exception& error) {
            showError_(QString::fromLocal8Bit(error.what()));
        }
    }
    VerbergPaginas();
    FitToControls();
    // As designed, but never off the screen.
    move(DesignedPosition);
    KeepInWorkArea(*this);
}

void TOptiesVenster::SplitFontEntries() {
    FontNames.clear();
    for (int i = 0; i < LetterBox->count(); ++i) {
        const QString entry = LetterBox->itemText(i);
        const qsizetype eq = entry.indexOf('=');
        FontNames << (eq < 0 ? QString() : entry.mid(eq + 1));
        LetterBox->setItemText(i, eq < 0 ? entry : entry.left(eq));
    }
    LetterBox->setEditText({});
}

QString TOptiesVenster::OptiesPath() const {
    return herstelDir_ + OptiesFileName;
}

// A file that cannot be read leaves the dialog's state zero-filled.
void TOptiesVenster::LeesOpties() {
    ReadOpties(NativePath(OptiesPath()), Opties);
}

void TOptiesVenster::SchrijfOpties() {
    WriteOpties(NativePath(OptiesPath()), Opties);
}

int TOptiesVenster::ShowModal() {
    return exec() == QDialog::Accepted ? mrOk : mrCancel;
}

void TOptiesVenster::showEvent(QShowEvent* e) {
    if (!e->spontaneous()) FormShow();
    QDialog::showEvent(e);
}

void TOptiesVenster::FormShow() {
    const QString face = QString::fromLatin1(Opties.font.face.c_str());
    for (int i = 0; i < FontNames.size(); ++i) {
        if (FontNames[i] == face) {
            LetterBox->setCurrentIndex(i);
            break;
        }
    }
    TreeView2->expandAll();
    VerbergPaginas();
    ZetVoorbeeld(Opties);
    Kleurbox->setCurrentIndex(Kleurbox->findData(QVariant::fromValue(Opties.font.color)));
    const std::optional<Bytes> first =
        FirstLineTextPlusCode ? FirstLineTextPlusCode() : std::optional<Bytes>();
    if (!first || *first == EmptyLineTextPlusCode)
        VoorbeeldEditor->SetText(EmptyLinePreview.toStdString());
    else
        VoorbeeldEditor->SetTextPlusCode(*first);
    VerbergPaginas();
}

QTreeWidgetItem* TOptiesVenster::Node(const QString& text) const {
    const QList<QTreeWidgetItem*> found =
        TreeView2->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.front();
}

void TOptiesVenster::TreeView2Change() {
    VerbergPaginas();
    const QTreeWidgetItem* node = TreeView2->currentItem();
    const QString text = node ? node->text(0) : QString();
    switch (text.isEmpty() ? char16_t(0) : text.front().unicode()) {
    case 'T':
        VoorbeeldEditor->show();
        break;
    case 'K':
        ToonPagina(Kleurbox);
        break;
    case 'F':
        ToonPagina(FormaatText);
        break;
    case 'V':
        ToonPagina(RadioGroup1);
        break;
    case 'L':
        ToonPagina(LetterBox);
        break;
    default:
        break;
    }
}

void TOptiesVenster::VerbergPaginas() {
    for (QWidget* child : Panel1->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        child->hide();
}

void TOptiesVenster::ToonPagina(QWidget* control) {
    VoorbeeldEditor->show();
    control->show();
    if (control == RadioGroup1) {
        // The group passes the focus to its chosen button, or to the first.
        QAbstractButton* b = radioButtons_->checkedButton();
        (b ? b : radioButtons_->button(0))->setFocus(Qt::OtherFocusReason);
    } else {
        control->setFocus(Qt::OtherFocusReason);
    }
}

// A control's entering handler runs when the focus comes into it from outside, as it does
// when a page is shown.
void TOptiesVenster::FocusEntered(QWidget* old, QWidget* now) {
    if (Inside(now, FormaatText) && !Inside(old, FormaatText)) FormaatTextEnter();
    if (Inside(now, Kleurbox) && !Inside(old, Kleurbox)) KleurboxEnter();
    if (Inside(now, RadioGroup1) && !Inside(old, RadioGroup1)) RadioGroup1Enter();
    // LetterBoxEnter does nothing.
}

void TOptiesVenster::FormaatTextEnter() {
    const QString size = QString::number(HeightToPoints(VoorbeeldEditor->Font().height));
    const int i = FormaatText->findText(size, Qt::MatchExactly | Qt::MatchCaseSensitive);
    FormaatText->setCurrentIndex(i);
    if (i < 0) FormaatText->setEditText({});
}

void TOptiesVenster::FormaatTextSelect(int index) {
    if (index < 0) return;
    FontDesc font = VoorbeeldEditor->Font();
    font.height = PointsToHeight(FormaatText->itemText(index).toInt());
    SetPreviewFont(font, VoorbeeldEditor->FontColor());
}

void TOptiesVenster::KleurboxEnter() {
    Kleurbox->setCurrentIndex(
        Kleurbox->findData(QVariant::fromValue(VoorbeeldEditor->FontColor())));
}

void TOptiesVenster::KleurboxSelect(int index) {
    if (index < 0) return;
    SetPreviewFont(VoorbeeldEditor->Font(), Kleurbox->itemData(index).value<ColorRef>());
}

void TOptiesVenster::LetterBoxSelect(int index) {
    if (index < 0 || index >= FontNames.size()) return;
    FontDesc font = VoorbeeldEditor->Font();
    font.face = FontNames[index].toStdString();
    SetPreviewFont(font, VoorbeeldEditor->FontColor());
}

void TOptiesVenster::RadioGroup1Enter() {
    SetRadioGroupIndex(Opties.plainText ? 0 : 1);
}

void TOptiesVenster::RadioGroup1Click() {
    beep();
    VoorbeeldEditor->SetPlainText(RadioGroupIndex() == 0);
}

int TOptiesVenster::RadioGroupIndex() const {
    return radioButtons_->checkedId();
}

void TOptiesVenster::SetRadioGroupIndex(int index) {
    if (QAbstractButton* b = radioButtons_->button(index)) b->setChecked(true);
}

void TOptiesVenster::StadaardClick() {
    ZetVoorbeeld(StandaardOpties);
}

void TOptiesVenster::OKBtnClick() {
    setResult(QDialog::Accepted);
    Opties.font = FontToRecord(VoorbeeldEditor->Font(), VoorbeeldEditor->FontColor());
    Opties.plainText = VoorbeeldEditor->PlainText();
    if (SaveOptiesCheck->isChecked()) {
        try {
            SchrijfOpties();
        } catch (const std::exception& error) {
            // The settings still apply for this run; the old file stays whole.
            showError_(QString::fromLocal8Bit(error.what()));
        }
    }
    accept();
}

void TOptiesVenster::ZetVoorbeeld(const TOpties& record) {
    FontDesc font = VoorbeeldEditor->Font();
    ColorRef color = VoorbeeldEditor->FontColor();
    ApplyFontRecord(ClampFontSize(record.font), font, color);
    SetPreviewFont(font, color);
    VoorbeeldEditor->SetPlainText(record.plainText);
}

void TOptiesVenster::SetPreviewFont(const FontDesc& font, ColorRef color) {
    VoorbeeldEditor->SetFont(font, color);
    VoorbeeldEditor->update();
}

bool TOptiesVenster::eventFilter(QObject* watched, QEvent* e) {
    switch (e->type()) {
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::Resize:
        if (watched->parent() == Panel1 && !arranging_) ArrangePanel();
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, e);
}

// The page area stacks its visible controls from the top at its full width and is as high as
// they are; the dialog then fits itself around its controls.
void TOptiesVenster::ArrangePanel() {
    arranging_ = true;
    int top = 0;
    QList<QWidget*> stack = {VoorbeeldEditor, RadioGroup1, LetterBox, FormaatText, Kleurbox};
    for (QWidget* child : stack) {
        if (child->isHidden()) continue;
        child->setGeometry(0, top, Panel1->width(), child->height());
        top += child->height();
    }
    VoorbeeldEditor->Line().ClientWidth = Panel1->width();
    Panel1->resize(Panel1->width(), top);
    arranging_ = false;
    FitToControls();
}

void TOptiesVenster::FitToControls() {
    QSize client = DesignedClient;
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isHidden()) continue;
        client =
            client.expandedTo(QSize(child->geometry().right() + 1, child->geometry().bottom() + 1));
    }
    setFixedSize(client);
}

} // namespace zelm
