// TZelmEditHelp: the help window. A tree of topics on the left; choosing a topic shows its
// page, a picture, to the right of the tree. Created hidden at start-up and shown by every
// help request; any character key hides it again.
#pragma once

#include <QFrame>
#include <QImage>
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

/// A help picture: an SVG resource drawn with QSvgRenderer (sharp at any scale) or a JPEG.
class THelpPicture : public QWidget {
    Q_OBJECT
public:
    /// Loads `resource` and takes the picture's own size.
    THelpPicture(const QString& resource, QWidget* parent);
    ~THelpPicture() override;
    /// The picture alone, drawn at its own size on a transparent ground.
    QImage Rendered() const;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    void Draw(QPainter& p) const;
    std::unique_ptr<QSvgRenderer> svg_;
    QImage image_;
};

class TZelmEditHelp : public QWidget {
    Q_OBJECT
public:
    /// Creates the window hidden, with every page hidden and no page chosen.
    explicit TZelmEditHelp(QWidget* owner = nullptr);
    ~TZelmEditHelp() override;

    /// A help request: shows the window (non-modal) and activates it.
    void Show();
    /// Each activation: expands the tree, puts the tree and the pages at the top edge and
    /// sizes the window to them. The page shown stays shown.
    void FormActivate();
    /// The tree's selection changed to `node`: its page replaces the current one.
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
    static constexpr int PageCount = 6;
    /// The pages in child order: InleidingP, InstallatieP, GebruikP, HerstellenP, InvoerP, CopyP.
    std::array<QFrame*, PageCount> Pages{};
    /// The picture on each page.
    std::array<THelpPicture*, PageCount> Pictures{};
    QFrame *InleidingP = nullptr, *InstallatieP = nullptr, *GebruikP = nullptr,
           *HerstellenP = nullptr, *InvoerP = nullptr, *CopyP = nullptr;
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
    QLabel* CreateLink(QFrame* page, QRect place, int tag, const QString& caption);
    void SingleExpand(QTreeWidgetItem* chosen);
    void FitToContent();
    void ChooseScrollBars();

    QScrollArea* scroll_ = nullptr;
    QWidget* content_ = nullptr; ///< the pages and the tree, scrolled by scroll_
    int current_ = -1;
    bool placed_ = false;
    QTreeWidgetItem* selected_ = nullptr;
};

} // namespace zelm
