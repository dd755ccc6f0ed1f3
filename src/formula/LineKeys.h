// TEMPORARY local stand-in (not committed)
#pragma once
#include "formula/DeclMath.h"
#include "formula/Keys.h"
#include "formula/MathLine.h"
namespace zelm {
void KeyDown(MathLine&, int& key, ShiftState);
void KeyPress(MathLine&, unsigned char& c);
void DeleteSelection(MathLine&);
}
