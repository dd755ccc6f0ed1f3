// The font, mode and settings commands of the menus, and the window menu's commands.
#include <QAction>
#include <QApplication>

#include "app/MainWindow.h"
#include "dialogs/OKCANCL2.h"

namespace zelm {

namespace {

std::optional<ChosenFont> RunFontDialog(TBasisMath& window, const FontDesc& font, ColorRef color) {
    return window.chooseFont ? window.chooseFont(font, color) : ChooseFont(&window, font, color);
}

} // namespace

// The commands that rewrite or replace every line store the document as a recovery state
// first, as a split does: one "&Vorige" brings it back. A state that cannot be stored stops
// the command.

void TBasisMath::Font1Click() {
    recovery_.SaveHerstel();
    if (const std::optional<ChosenFont> chosen =
            RunFontDialog(*this, WindowFont, WindowFontColor)) {
        WindowFont = chosen->font;
        WindowFontColor = chosen->color;
    }
    // Confirmed or not, every line takes the window's font.
    for (TMathEditor* line : Lines())
        line->SetFont(WindowFont, WindowFontColor);
}

void TBasisMath::plTextClick() {
    try {
        recovery_.SaveHerstel();
    } catch (...) {
        plText->setChecked(!plText->isChecked()); // the item has already toggled its mark
        throw;
    }
    EditorState().plainTextDefault = plText->isChecked();
    // A line whose names would make it longer than its record keeps its mode.
    TMathEditor* current = CurrentLine();
    const bool wasPlain = current && current->PlainText();
    for (TMathEditor* line : Lines())
        line->Line().EditWithinRecord([&] { line->SetPlainText(EditorState().plainTextDefault); });
    if (!current) return;
    popPlainText->setChecked(current->PlainText());
    if (current->PlainText() != wasPlain) AnnounceMode(*current);
}

void TBasisMath::Alleswissen1Click() {
    recovery_.SaveHerstel();
    column_.DiscardAll();
    TMathEditor* line = CreateEd();
    FitToLines();
    FocusLine(*line);
}

void TBasisMath::Nieuweregel1Click() {
    document_.CheckRoomForLine();
    const TMathEditor* last = Lines().empty() ? nullptr : Lines().back();
    const int top = last ? last->y() + last->height() : 0;
    TMathEditor* line = CreateEd();
    line->move(0, top);
    FitToLines();
    FocusLine(*line);
}

void TBasisMath::UseOptiesVenster(TOptiesVenster& dialog) {
    OptiesVenster = &dialog;
    dialog.FirstLineTextPlusCode = [this]() -> std::optional<Bytes> {
        if (Lines().empty()) return std::nullopt;
        return Lines().front()->TextPlusCode();
    };
    if (Instellingen1) Instellingen1->setEnabled(true);
}

void TBasisMath::Instellingen1Click() {
    if (!OptiesVenster || OptiesVenster->ShowModal() != TOptiesVenster::mrOk) return;
    ApplyFontRecord(OptiesVenster->Opties.font, WindowFont, WindowFontColor);
    EditorState().plainTextDefault = OptiesVenster->Opties.plainText;
}

void TBasisMath::PopFontClick() {
    TMathEditor* line = CurrentLine();
    if (!line) return;
    if (const std::optional<ChosenFont> chosen =
            RunFontDialog(*this, line->Font(), line->FontColor()))
        line->SetFont(chosen->font, chosen->color);
}

} // namespace zelm
