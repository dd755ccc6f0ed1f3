#include "formula/LineKeys.h"
namespace zelm {
void KeyDown(MathLine&, int&, ShiftState) {}
void KeyPress(MathLine& l, unsigned char& c) { if (c >= 32) { Bytes t = l.Text(); t.insert(std::size_t(l.CaretPos), 1, char(c)); l.CaretPos++; l.Selstart = l.Seleinde = l.CaretPos; l.SetText(t);} }
void DeleteSelection(MathLine& l) { Bytes t = l.Text(); t.erase(std::size_t(l.Selstart), std::size_t(l.Seleinde - l.Selstart)); l.SetText(t); l.Seleinde = l.CaretPos = l.Selstart; }
}
