// The Qt back end of key scripts (KeyScript.h): each key as the key event Qt's X11 platform
// delivers, with the text it gives the key (Delete "\x7f", Ctrl+T "\x14").
#pragma once

#include <QApplication>
#include <QString>
#include <QTest>
#include <QWidget>
#include <map>
#include <string_view>
#include <vector>

#include "support/KeyScript.h"

namespace zelm::test {

/// One key event as Qt delivers it.
struct QtKeystroke {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    QString text;
    bool commit = false; ///< `text` comes as an input method's commit string, not a key
};

/// The text Qt's X11 platform gives a key pressed with `m`.
inline QString TextOfKey(Qt::Key key, Qt::KeyboardModifiers m) {
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return "\r";
    case Qt::Key_Backspace:
        return "\b";
    case Qt::Key_Delete:
        return m & Qt::KeypadModifier ? QString() : QString("\x7f");
    case Qt::Key_Escape:
        return "\x1b";
    case Qt::Key_Tab:
        return "\t";
    default:
        break;
    }
    if (key >= Qt::Key_A && key <= Qt::Key_Z) {
        if (m & Qt::ControlModifier) return QString(QChar(key - Qt::Key_A + 1));
        return QString(QChar(m & Qt::ShiftModifier ? key : key + 32));
    }
    if (key == Qt::Key_Minus) return m & Qt::ControlModifier ? QString("\x1f") : "-";
    if (key >= Qt::Key_Space && key <= Qt::Key_AsciiTilde) return QString(QChar(key));
    return {};
}

/// The key event of one key of a script.
inline QtKeystroke QtKeystrokeOf(const ScriptKey& k) {
    if (k.typed != 0) {
        const QChar c = QLatin1Char(k.typed);
        return {Qt::Key(c.toUpper().unicode()), Qt::NoModifier, QString(c)};
    }
    static const std::map<std::string, Qt::Key> named = {
        {"Enter", Qt::Key_Return}, {"BS", Qt::Key_Backspace},      {"Del", Qt::Key_Delete},
        {"Left", Qt::Key_Left},    {"Right", Qt::Key_Right},       {"Up", Qt::Key_Up},
        {"Down", Qt::Key_Down},    {"Home", Qt::Key_Home},         {"End", Qt::Key_End},
        {"Minus", Qt::Key_Minus},  {"Scroll", Qt::Key_ScrollLock}, {"Esc", Qt::Key_Escape},
        {"Tab", Qt::Key_Tab},      {"Ins", Qt::Key_Insert},        {"F5", Qt::Key_F5},
        {"F12", Qt::Key_F12}};
    Qt::KeyboardModifiers mods;
    if (k.shift) mods |= Qt::ShiftModifier;
    if (k.ctrl) mods |= Qt::ControlModifier;
    if (k.alt) mods |= Qt::AltModifier;
    if (k.keypad) mods |= Qt::KeypadModifier;
    const auto found = named.find(k.name);
    const Qt::Key key =
        found != named.end() ? found->second : Qt::Key(QChar(k.name[0]).toUpper().unicode());
    return {key, mods, TextOfKey(key, mods)};
}

/// The key events of `script` in order.
inline std::vector<QtKeystroke> QtKeystrokesOf(std::string_view script) {
    std::vector<QtKeystroke> out;
    for (const ScriptKey& k : ReadKeyScript(script))
        out.push_back(QtKeystrokeOf(k));
    return out;
}

/// Presses and releases each key of `script` on `widget`, or on the widget that has the focus
/// at that key.
inline void ClickKeys(QWidget* widget, std::string_view script) {
    for (const QtKeystroke& k : QtKeystrokesOf(script))
        QTest::sendKeyEvent(QTest::Click, widget ? widget : QApplication::focusWidget(), k.key,
                            k.text, k.modifiers);
}

} // namespace zelm::test
