// The font dialog of the font commands: face, size and style as Qt's font dialog offers them,
// and beside them the colour, one of the 16 standard colours with their Dutch names.
#pragma once

#include <QDialog>
#include <optional>

#include "formula/FontDesc.h"
#include "formula/Types.h"

class QComboBox;
class QFontDialog;

namespace zelm {

/// A font as chosen in the font dialog, with its colour.
struct ChosenFont {
    FontDesc font;
    ColorRef color = 0;
    bool operator==(const ChosenFont&) const = default;
};

class TFontDialog : public QDialog {
    Q_OBJECT
public:
    /// A dialog preset with `font` drawn in `color`.
    TFontDialog(const FontDesc& font, ColorRef color, QWidget* parent = nullptr);
    /// The font and colour as chosen so far. The face keeps the preset's name while the face
    /// that draws it is still the one chosen ("Arial" stays "Arial", whatever draws it).
    ChosenFont Choice() const;

    /// Face, size and style.
    QFontDialog* Fonts = nullptr;
    /// The colour list: the 16 standard colours; no entry when the preset colour is another.
    QComboBox* Kleur = nullptr;

private:
    FontDesc preset_;
    ColorRef presetColor_ = 0;
};

/// Fills `list` with the 16 standard colours, each with its swatch and Dutch name; no entry is
/// selected.
void FillColourList(QComboBox& list, int swatchSide);

/// Runs the font dialog modally; the choice, or nothing when the user cancels.
std::optional<ChosenFont> ChooseFont(QWidget* parent, const FontDesc& font, ColorRef color);

} // namespace zelm
