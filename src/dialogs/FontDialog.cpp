#include "dialogs/FontDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include <cmath>
#include <cstdlib>

#include "files/DocumentCodec.h"
#include "formula/DeclMath.h"
#include "platform/FontMetricsTables.h"
#include "platform/KeyCodes.h"
#include "platform/QtCanvas.h"

namespace zelm {

namespace {

constexpr int ColourSwatchSide = 14;

std::string FaceBytes(const QString& face) {
    std::string s;
    for (QChar c : face) {
        const unsigned char b = ToWindows1252(c.unicode());
        s += char(b != 0 ? b : '?');
    }
    return s;
}

// Sizes are whole points, as stored; a cell height (positive) is taken as the character height.
int PointsOf(const FontDesc& font) {
    return std::abs(HeightToPoints(font.height));
}

QFont ToQFont(const FontDesc& font) {
    QFont f(FromCp1252(font.face));
    f.setPointSize(std::max(1, PointsOf(font)));
    f.setWeight(QFont::Weight(std::clamp(font.weight > 0 ? font.weight : 400, 1, 1000)));
    f.setItalic(font.italic != 0);
    f.setUnderline(font.underline != 0);
    f.setStrikeOut(font.strikeOut != 0);
    return f;
}

QIcon ColourSwatch(ColorRef colour, int side) {
    QPixmap pixmap(side, side);
    pixmap.fill(ToQColor(colour));
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    painter.drawRect(pixmap.rect().adjusted(0, 0, -1, -1));
    return QIcon(pixmap);
}

// Qt's font dialog inside ours: its own closing (Escape) closes the whole dialog.
class EmbeddedFontDialog : public QFontDialog {
public:
    using QFontDialog::QFontDialog;
    void done(int result) override {
        if (auto* outer = qobject_cast<QDialog*>(parentWidget())) outer->done(result);
    }
};

} // namespace

TFontDialog::TFontDialog(const FontDesc& font, ColorRef color, QWidget* parent)
    : QDialog(parent), preset_(font), presetColor_(color) {
    setWindowTitle("Lettertype");
    Fonts = new EmbeddedFontDialog(this);
    Fonts->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    Fonts->setWindowFlags(Qt::Widget);
    Fonts->setSizeGripEnabled(false);
    // The dialog lists the faces there are; it shows the one that draws the preset's name.
    QFont shown = ToQFont(font);
    shown.setFamily(QFontInfo(shown).family());
    Fonts->setCurrentFont(shown);

    Kleur = new QComboBox(this);
    FillColourList(*Kleur, ColourSwatchSide);
    Kleur->setCurrentIndex(Kleur->findData(QVariant::fromValue(color)));
    auto* label = new QLabel("&Kleur:", this);
    label->setBuddy(Kleur);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* colourRow = new QHBoxLayout;
    colourRow->addWidget(label);
    colourRow->addWidget(Kleur);
    colourRow->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Fonts);
    layout->addLayout(colourRow);
    layout->addWidget(buttons);
}

ChosenFont TFontDialog::Choice() const {
    const QFont chosen = Fonts->currentFont();
    ChosenFont result;
    result.font = preset_;
    // The preset face may be a name that fontconfig gives another face for ("Arial" is drawn
    // by Liberation Sans); while that face is still chosen, the name stays as it was.
    const QString presetFamily = QFontInfo(ToQFont(preset_)).family();
    if (chosen.family() != presetFamily && chosen.family() != FromCp1252(preset_.face))
        result.font.face = FaceBytes(chosen.family());
    const int points =
        chosen.pointSize() > 0 ? chosen.pointSize() : int(std::lround(chosen.pointSizeF()));
    if (points != PointsOf(preset_)) result.font.height = PointsToHeight(points);
    result.font.weight = int(chosen.weight());
    result.font.italic = chosen.italic() ? 1 : 0;
    result.font.underline = chosen.underline() ? 1 : 0;
    result.font.strikeOut = chosen.strikeOut() ? 1 : 0;
    const int k = Kleur->currentIndex();
    result.color = k < 0 ? presetColor_ : Kleur->itemData(k).value<ColorRef>();
    return result;
}

void FillColourList(QComboBox& list, int swatchSide) {
    list.setIconSize(QSize(swatchSide, swatchSide));
    for (const ColourName& c : ColourNames)
        list.addItem(ColourSwatch(c.value, swatchSide),
                     QString::fromLatin1(c.name.data(), c.name.size()),
                     QVariant::fromValue(c.value));
    list.setCurrentIndex(-1);
}

std::optional<ChosenFont> ChooseFont(QWidget* parent, const FontDesc& font, ColorRef color) {
    TFontDialog dialog(font, color, parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Choice();
}

} // namespace zelm
