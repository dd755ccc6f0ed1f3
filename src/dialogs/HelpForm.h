// TZelmEditHelp: the help window. A tree of topics on the left; choosing a topic shows its
// page, a picture, right beside the tree at the top. Created hidden at start-up; every help
// request shows it, the first with its first page; any character key hides it again.
#pragma once

#include <QImage>
#include <QSize>
#include <QWidget>
#include <array>
#include <memory>

class QKeyEvent;
class QLabel;
class QScrollArea;
class QSvgRenderer;
class QTreeWidget;
class QTreeWidgetItem;

namespace zelm {

/// A help page: a picture, an SVG resource drawn with QSvgRenderer (sharp at any scale) or a
/// JPEG, on white paper whatever the desktop's palette, in a raised frame where `framed`. The
/// page is itself the graphic a screen reader reads, and Tab reaches it.
class THelpPicture : public QWidget {
    Q_OBJECT
public:
    /// Loads `resource` and takes the picture's own size, with its frame.
    THelpPicture(const QString& resource, bool framed, QWidget* parent);
    ~THelpPicture() override;
    /// The picture alone, drawn at its own size on a transparent ground.
    QImage Rendered() const;
    /// Where the picture lies inside the page: inside its frame.
    int Inset() const { return inset_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    void Draw(QPainter& p) const;
    std::unique_ptr<QSvgRenderer> svg_;
    QImage image_;
    QSize size_;
    int inset_ = 0;
};

class TZelmEditHelp : public QWidget {
    Q_OBJECT
public:
    /// Creates the window hidden, with every page hidden and no page chosen.
    explicit TZelmEditHelp(QWidget* owner = nullptr);
    ~TZelmEditHelp() override;

    /// A help request: shows the window (non-modal) and activates it; the first shows the
    /// first page.
    void Show();
    /// Each activation: expands the tree. The page shown stays shown, the size the user gave.
    void FormActivate();
    /// The tree's selection changed to `node`: its page replaces the current one, and the
    /// window takes the size that fits it and the work area.
    void TreeView1Change(QTreeWidgetItem* node);
    /// A link on a page was clicked: selects node Tag - 2.
    void LabelClick(QLabel* label);
    /// A character key hides the window; returns whether the key was such a key.
    bool FormKeyPress(const QKeyEvent& e);

    /// The node with absolute (depth-first) index `index`, or nullptr.
    QTreeWidgetItem* NodeAt(int index) const;
    /// The absolute (depth-first) index of `node`.
    int AbsoluteIndex(const QTreeWidgetItem* node) const;
    /// The page shown now, or -1 before the first choice.
    int CurrentPage() const { return current_; }
    /// The link's Tag.
    static int TagOf(const QLabel* label);

    /// The number of pages; the tree has as many nodes.
    static constexpr int PageCount = 11;
    /// The pages in the tree's order.
    std::array<THelpPicture*, PageCount> Pages{};
    QTreeWidget* TreeView1 = nullptr;
    QLabel *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr;

protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void CreatePages();
    void CreateTree();
    void CreateLinks();
    QLabel* CreateLink(QWidget* page, QRect place, int tag, const QString& caption);
    void SingleExpand(QTreeWidgetItem* chosen);
    void FitToContent();
    void PlaceChildren();
    int PageLeft() const;

    QScrollArea* scroll_ = nullptr;
    QWidget* content_ = nullptr; ///< the pages, scrolled by scroll_
    int treeWidth_ = 0;
    QSize fittedSize_;       ///< the size FitToContent gave the window last
    bool userSized_ = false; ///< the user resized the window: it keeps that size
    int current_ = -1;
    bool placed_ = false;
    QTreeWidgetItem* selected_ = nullptr;
};

} // namespace zelm
