#include "dialogs/DialogAccessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPointer>
#include <array>
#include <vector>

#include "dialogs/FunctieFormMath.h"
#include "dialogs/HelpForm.h"
#include "editor/LineAccessible.h"
#include "exchange/Speech.h"
#include "formula/DeclMath.h"

namespace zelm {

namespace {

constexpr int Columns = TRooster::ColCount;
constexpr int Rows = TRooster::RowCount;
constexpr int CellCount = Columns * Rows;

QString FromBytes(const Bytes& b) {
    return QString::fromLatin1(b.data(), qsizetype(b.size()));
}

/// The header row's abbreviations in words.
QString SpokenHeading(const Bytes& cell) {
    static const std::pair<const char*, const char*> headings[] = {
        {"GonioFunc.", "Goniometrische functies"},
        {"RekenFunc.", "Rekenfuncties"},
        {"Bew.", "Bewerkingen"},
        {"SymbInv<>", "Structuur"},
        {"ToetsInv", "Toets"},
    };
    for (const auto& [shown, spoken] : headings)
        if (cell == shown) return spoken;
    return FromBytes(cell).trimmed();
}

/// A key column entry ("ctrl+<D>", "</>", "Shift" with an up arrow) in words.
QString SpokenKeys(const Bytes& cell) {
    const std::size_t zero = cell.find('\0');
    Bytes shown = cell.substr(0, zero);
    QString words;
    for (char c : shown) {
        if (c == Code::Symbol) {
            words += "+pijl omhoog"; // the only symbol of the key column
        } else if (c == '+' && words.isEmpty()) {
            words += "Ctrl+Shift+letter of cijfer";
            break;
        } else if (c != '<' && c != '>') {
            words += QChar(char16_t(static_cast<unsigned char>(c)));
        }
    }
    words.replace("ctrl+", "Ctrl+");
    static const std::pair<const char*, const char*> marks[] = {
        {"/", "schuine streep"}, {".", "punt"}, {"Ctrl+-", "Ctrl+min"}};
    for (const auto& [mark, spoken] : marks)
        if (words == mark) return spoken;
    return words;
}

/// A name or a formula of the grid as the line would speak it once typed; the words that
/// the structures' cells hold ("Teken", "Exponent") are read as words, as in a text line.
QString SpokenEntry(const Bytes& cell) {
    const std::size_t zero = cell.find('\0');
    if (zero != Bytes::npos) {
        const MathTree tree = BuildTree(cell.substr(0, zero), cell.substr(zero + 1), true);
        return QString::fromStdString(SpeakLine(tree));
    }
    if (const auto i = cell.size() > 1 ? NameIndexOf(cell) : std::nullopt) {
        MathTree tree;
        tree.root.children.push_back({NodeKind::Name, *i, 0, int(cell.size()), {}});
        tree.root.end = int(cell.size());
        return QString::fromStdString(SpeakLine(tree));
    }
    return QString::fromStdString(SpeakLine(BuildTree(cell, {}, false)));
}

class RoosterAccessible;

/// One cell of the grid; the header row's cells are column headers.
class CellAccessible : public QAccessibleInterface, public QAccessibleTableCellInterface {
public:
    CellAccessible(TRooster* grid, int col, int row) : grid_(grid), col_(col), row_(row) {}

    bool isValid() const override { return !grid_.isNull(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return grid_ ? grid_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override {
        return grid_ ? QAccessible::queryAccessibleInterface(grid_.data()) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override {
        if (t != QAccessible::Name || !grid_) return {};
        return SpokenCell(*grid_, col_, row_);
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!grid_) return {};
        const QRect r = TRooster::CellRect(col_, row_);
        return QRect(grid_->mapToGlobal(r.topLeft()), r.size());
    }
    QAccessible::Role role() const override {
        return row_ < TRooster::FixedRows ? QAccessible::ColumnHeader : QAccessible::Cell;
    }
    QAccessible::State state() const override {
        QAccessible::State s;
        if (!grid_ || row_ < TRooster::FixedRows) return s;
        s.focusable = s.selectable = true;
        s.selected = isSelected();
        s.focused = s.selected && grid_->hasFocus();
        s.invisible = !grid_->isVisible();
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::TableCellInterface && row_ >= TRooster::FixedRows)
            return static_cast<QAccessibleTableCellInterface*>(this);
        return nullptr;
    }

    bool isSelected() const override {
        return grid_ && grid_->Col() == col_ && grid_->Row() == row_;
    }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QList<QAccessibleInterface*> columnHeaderCells() const override;
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return col_; }
    int rowIndex() const override { return row_ - TRooster::FixedRows; }
    QAccessibleInterface* table() const override { return parent(); }

private:
    QPointer<TRooster> grid_;
    int col_, row_;
};

/// The grid: a table of the rows below the header, the header row its column headers. Its
/// children are the header cells, then the other cells row by row.
class RoosterAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit RoosterAccessible(TRooster* grid) : QAccessibleWidget(grid, QAccessible::Table) {}
    ~RoosterAccessible() override {
        for (QAccessible::Id id : ids_)
            if (id) QAccessible::deleteAccessibleInterface(id);
    }

    TRooster* Grid() const { return static_cast<TRooster*>(widget()); }

    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::TableInterface) return static_cast<QAccessibleTableInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }
    int childCount() const override { return CellCount; }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= CellCount) return nullptr;
        QAccessible::Id& id = ids_[std::size_t(index)];
        if (!id) {
            id = QAccessible::registerAccessibleInterface(
                new CellAccessible(Grid(), index % Columns, index / Columns));
        }
        return QAccessible::accessibleInterface(id);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        for (int i = 0; i < CellCount; ++i)
            if (ids_[std::size_t(i)] &&
                QAccessible::accessibleInterface(ids_[std::size_t(i)]) == child)
                return i;
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        const auto cell = TRooster::MouseToCell(Grid()->mapFromGlobal(QPoint(x, y)));
        return cell ? child(cell->second * Columns + cell->first) : nullptr;
    }
    QAccessibleInterface* focusChild() const override {
        return Grid()->hasFocus() ? CurrentCell() : nullptr;
    }
    QAccessibleInterface* CurrentCell() const {
        return child(Grid()->Row() * Columns + Grid()->Col());
    }

    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override {
        if (row < 0 || row >= rowCount() || column < 0 || column >= Columns) return nullptr;
        return child((row + TRooster::FixedRows) * Columns + column);
    }
    int selectedCellCount() const override { return 1; }
    QList<QAccessibleInterface*> selectedCells() const override { return {CurrentCell()}; }
    QString columnDescription(int column) const override { return SpokenCell(*Grid(), column, 0); }
    QString rowDescription(int) const override { return {}; }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    int columnCount() const override { return Columns; }
    int rowCount() const override { return Rows - TRooster::FixedRows; }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent*) override {}

private:
    mutable std::array<QAccessible::Id, CellCount> ids_{};
};

QList<QAccessibleInterface*> CellAccessible::columnHeaderCells() const {
    QAccessibleInterface* grid = parent();
    return grid ? QList<QAccessibleInterface*>{grid->child(col_)} : QList<QAccessibleInterface*>{};
}

} // namespace

QAccessibleInterface* DialogAccessibleFor(QObject* object) {
    if (auto* grid = qobject_cast<TRooster*>(object)) return new RoosterAccessible(grid);
    // A help picture: a graphic whose description says what it shows.
    if (auto* picture = qobject_cast<THelpPicture*>(object))
        return new QAccessibleWidget(picture, QAccessible::Graphic);
    // The help window is a window, so that a screen reader follows the focus into it.
    if (auto* help = qobject_cast<TZelmEditHelp*>(object))
        return new QAccessibleWidget(help, QAccessible::Window);
    return nullptr;
}

QString SpokenCell(const TRooster& grid, int col, int row) {
    const Bytes& cell = grid.Cell(col, row);
    if (row < TRooster::FixedRows) return SpokenHeading(cell);
    if (cell.empty() || cell == " ") return "leeg";
    if (col == 5) return SpokenKeys(cell);
    return SpokenEntry(cell);
}

void ReportCurrentCell(TRooster& grid) {
    if (!Listening() || !grid.hasFocus()) return;
    QAccessibleEvent e(&grid, QAccessible::Focus);
    e.setChild(grid.Row() * Columns + grid.Col());
    QAccessible::updateAccessibility(&e);
}

} // namespace zelm
