// The main menu's bar, whose items wrap onto further rows instead of hiding.
#pragma once

#include <QMenuBar>
#include <vector>

namespace zelm {

/// The main menu's bar. Items that do not fit its width wrap, in order, onto further rows
/// below it, as on the desktop the menus were designed for, instead of hiding behind an
/// extension button. The first row is this bar; each further row is a bar inside it.
class WrappingMenuBar : public QMenuBar {
    Q_OBJECT
public:
    explicit WrappingMenuBar(QWidget* parent = nullptr);

    /// Takes the items added so far as the bar's items, in this order, and wraps them.
    void Arrange();
    /// Every item, row after row.
    const QList<QAction*>& Items() const { return items_; }
    /// The bars of the rows after the first; those not needed are empty and hidden.
    const std::vector<QMenuBar*>& FurtherRows() const { return rows_; }
    /// The row (0 for the first) of each item in a bar `width` wide.
    std::vector<int> RowsAt(int width) const;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    int RowHeight() const;
    void Wrap();

    QList<QAction*> items_;
    std::vector<QMenuBar*> rows_;
};

} // namespace zelm
