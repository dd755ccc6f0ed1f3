// The structure model of a line. A matching pass drives the layout's structure-code matcher
// (StructureCodes.h: its counters, its searches back and its repairs) without measuring
// anything, giving each code its role; the tree is then read from what the pass matched. Structures
// that the layout allows but no tree can hold (two families crossing, a fraction without a bar of
// its own) keep their codes as lone codes.
#include "exchange/MathTree.h"

#include <algorithm>
#include <array>
#include <optional>

#include "formula/FormulaText.h"
#include "formula/StructureCodes.h"

namespace zelm {
namespace {

constexpr auto UnderlineSwitch = static_cast<unsigned char>(StructKind::Underline);
constexpr auto ColourSwitch = static_cast<unsigned char>(StructKind::Colour);

/// What a code character of the text is to the tree.
enum class Role : unsigned char {
    Skip,   ///< makes no part (italic markers, kinds without a part)
    Leaf,   ///< a name, reference, symbol character, sign or switch
    Open,   ///< opens structure `sid`
    Middle, ///< a separator, bar or slash of structure `sid`
    Close,  ///< closes structure `sid`
    Lone,   ///< a structure code kept as it stands
};

struct CodeRole {
    Role role = Role::Skip;
    int sid = -1;
};

/// One structure as the pass matched it.
struct Structure {
    NodeKind kind = NodeKind::Row;
    int middles = 0;     ///< separators, bars or slashes matched to it
    bool closed = false; ///< its closer (or its last separator) came
    bool bad = false;    ///< it cannot be a node: its codes stay lone
    /// Where its regions end (its middles, then its closer), so that each row's room is known
    /// before it is filled.
    std::array<int, 3> ends{};
};

/// Middles a well-formed structure of `kind` has, and whether a closer code ends it.
int MiddlesOf(NodeKind kind) {
    switch (kind) {
    case NodeKind::Fraction:
    case NodeKind::Slanted:
    case NodeKind::Root:
    case NodeKind::Log:
        return 1;
    case NodeKind::Integral:
    case NodeKind::Sum:
        return 2;
    case NodeKind::Row:
    case NodeKind::Char:
    case NodeKind::Name:
    case NodeKind::Reference:
    case NodeKind::Symbol:
    case NodeKind::Sign:
    case NodeKind::Power:
    case NodeKind::Index:
    case NodeKind::Bracket:
    case NodeKind::Underline:
    case NodeKind::Colour:
    case NodeKind::Switch:
        return 0;
    }
    return 0;
}
bool EndsWithCloser(NodeKind kind) {
    return kind != NodeKind::Log && kind != NodeKind::Integral && kind != NodeKind::Sum;
}

/// What the layout keeps of a structural part while it walks: enough for its searches back.
struct Record {
    enum Kind : unsigned char { Header, Opener, Bar, RootSign, Owner, Slash } kind = Header;
    NodeKind node = NodeKind::Row; ///< for openers: which structure
    int level = 0;
    int pending = 0;
    bool ended = false; ///< root signs: a separator ended its index
    int sid = -1;
};

/// One matching pass over the text. With `repair` it repairs as the layout does and reports
/// whether it did; without, it changes nothing and leaves what does not match lone.
class MatchPass : public StructureMatcher<MatchPass> {
public:
    MatchPass(Bytes& text, Bytes& codes, bool repair)
        : StructureMatcher(text, codes), repair_(repair) {}

    bool Run() {
        roles_.assign(text_.size(), CodeRole{});
        records_.assign(1, Record{});
        records_.reserve(codes_.size() + 1);
        structures_.reserve(codes_.size());
        Walk();
        if (!repair_) return false;
        AppendMissingClosers();
        return repaired_;
    }

    std::vector<CodeRole> roles_;
    std::vector<Structure> structures_;

private:
    friend class StructureMatcher<MatchPass>;

    int NewStructure(NodeKind kind) {
        structures_.push_back(Structure{kind});
        return int(structures_.size()) - 1;
    }

    int AddRecord(Record r) {
        records_.push_back(r);
        return int(records_.size()) - 1;
    }

    /// The newest record of `kind` (and structure `node` for openers) at `level`; 0, the
    /// header, when there is none.
    int SearchBack(Record::Kind kind, int level, NodeKind node = NodeKind::Row) {
        return StructureMatcher::SearchBack(Newest(), [&](int i) {
            const Record& r = records_[std::size_t(i)];
            return r.kind == kind && r.level == level && (kind != Record::Opener || r.node == node);
        });
    }

    // What the matcher's searches read of a record: only root signs and owners expect regions.
    int Newest() const { return int(records_.size()) - 1; }
    bool IsRootSign(int i) const { return records_[std::size_t(i)].kind == Record::RootSign; }
    int LevelOf(int i) const { return records_[std::size_t(i)].level; }
    int PendingOf(int i) const { return records_[std::size_t(i)].pending; }

    bool Repairs() const { return repair_; }
    void LoneCode() { SetRole(Role::Lone); }

    void Walk() {
        for (pos_ = 0; pos_ < text_.size();) {
            const Flow flow = IsCodeChar(text_[pos_]) ? ActOnCode() : Flow::Next;
            if (flow == Flow::Stop) return;
            if (flow == Flow::Next) ++pos_;
        }
    }

    void SetRole(Role role, int sid = -1) { roles_[pos_] = CodeRole{role, sid}; }

    Flow ActOnCode() {
        const char c = text_[pos_];
        if (IsItalicMarker(c)) return Flow::Next;
        const unsigned char parameter = TakeParameter();
        if (c != Code::Structure) {
            if (NameOwnsIndexRegion(c, parameter))
                OpenOwner(NodeKind::Log, 1);
            else
                SetRole(Role::Leaf);
            return Flow::Next;
        }
        const std::optional<StructKind> k = StructKindOf(parameter);
        if (!k) return Flow::Next;
        return MatchStructure(*k);
    }

    // ---- the matcher's steps: each code's role ----------------------------------------

    void OpenPower(int level) { Open(NodeKind::Power, level); }
    void ClosePower(int level) { Close(NodeKind::Power, level); }
    void OpenIndex(int level) { Open(NodeKind::Index, level); }
    void CloseIndex(int level) { Close(NodeKind::Index, level); }
    void OpenBracket(int level) { Open(NodeKind::Bracket, level); }
    void CloseBracket(int level) { Close(NodeKind::Bracket, level); }
    void OpenFraction(int level) { Open(NodeKind::Fraction, level); }
    void FractionBarCode(int level) { Middle(NodeKind::Fraction, level, Record::Bar); }
    bool CloseFraction(int level) {
        return CloseWithMiddle(NodeKind::Fraction, level, Record::Bar);
    }
    void OpenSlanted(int level) { Open(NodeKind::Slanted, level); }
    void SlashCode(int level) { Middle(NodeKind::Slanted, level, Record::Slash); }
    bool CloseSlanted(int level) {
        return CloseWithMiddle(NodeKind::Slanted, level, Record::Slash);
    }

    void OpenRoot(int level) {
        const int sid = NewStructure(NodeKind::Root);
        AddRecord({Record::RootSign, NodeKind::Root, level, 1, false, sid});
        SetRole(Role::Open, sid);
    }

    void AddBigSign(StructKind k) {
        OpenOwner(k == StructKind::Integral ? NodeKind::Integral : NodeKind::Sum, 2);
    }

    void AddPi() { SetRole(Role::Leaf); }
    void AddBoldSign(StructKind) { SetRole(Role::Leaf); }
    void AddUprightD() { SetRole(Role::Leaf); }
    void AddDot() { SetRole(Role::Leaf); }
    void ToggleUnderline() { SetRole(Role::Leaf); }
    void ToggleColour() { SetRole(Role::Leaf); }

    /// A "log", integral or sum: the owner of `regions` index regions.
    void OpenOwner(NodeKind node, int regions) {
        const int sid = NewStructure(node);
        AddRecord({Record::Owner, node, OpenIndexRegions(), regions, false, sid});
        SetRole(Role::Open, sid);
    }

    void Open(NodeKind node, int level) {
        const int sid = NewStructure(node);
        AddRecord({Record::Opener, node, level, 0, false, sid});
        SetRole(Role::Open, sid);
    }

    void Close(NodeKind node, int level) {
        Ends(SearchBack(Record::Opener, level, node), Role::Close);
    }

    /// Gives the code at the walk's position to the structure of record `r`.
    void Ends(int r, Role role) {
        const int sid = records_[std::size_t(r)].sid;
        if (sid < 0) {
            SetRole(Role::Lone);
            return;
        }
        Structure& s = structures_[std::size_t(sid)];
        const int region = s.middles;
        if (region < int(s.ends.size())) s.ends[std::size_t(region)] = int(pos_);
        if (role == Role::Middle) {
            ++s.middles;
            if (!EndsWithCloser(s.kind) && s.middles == MiddlesOf(s.kind)) s.closed = true;
        } else {
            s.closed = true;
        }
        SetRole(role, sid);
    }

    void Middle(NodeKind node, int level, Record::Kind kind) {
        const int o = SearchBack(Record::Opener, level, node);
        AddRecord({kind, node, level, 0, false, records_[std::size_t(o)].sid});
        Ends(o, Role::Middle);
    }

    /// A fraction's or slanted fraction's closer: the layout takes the newest bar (slash) at
    /// the family's level, even one of an earlier fraction; false when there is none at all.
    bool CloseWithMiddle(NodeKind node, int level, Record::Kind kind) {
        const int m = SearchBack(kind, level);
        if (m == 0) return false;
        const int o = SearchBack(Record::Opener, level, node);
        const int sid = records_[std::size_t(o)].sid;
        if (sid >= 0 && records_[std::size_t(m)].sid != sid)
            structures_[std::size_t(sid)].bad = true;
        Ends(o, Role::Close);
        return true;
    }

    /// True when the owner's last region ended.
    bool EndIndexRegion() {
        const int q = SearchOwner();
        Record& owner = records_[std::size_t(q)];
        --owner.pending;
        owner.ended = true;
        Ends(q, Role::Middle);
        return owner.pending <= 0;
    }

    RootClosing CloseRoot(int level) {
        const int r = SearchBack(Record::RootSign, level);
        if (!records_[std::size_t(r)].ended)
            return {false, OpenerPos(records_[std::size_t(r)].sid)};
        Ends(r, Role::Close);
        return {};
    }

    std::size_t OpenerPos(int sid) const {
        for (std::size_t i = 0; i < roles_.size(); ++i)
            if (roles_[i].role == Role::Open && roles_[i].sid == sid) return i;
        return 0;
    }

    const bool repair_;
    std::vector<Record> records_;
};

/// Marks the structures that cross another one: when a structure's middle or closer comes
/// while structures opened inside it are still open, those become lone codes.
void MarkCrossings(const std::vector<CodeRole>& roles, std::vector<Structure>& structures) {
    // A structure never closed had its separators taken by another owner (the layout lets a
    // root take a second one); a repaired line has no other open structures.
    for (Structure& s : structures)
        if (!s.closed || s.middles != MiddlesOf(s.kind)) s.bad = true;
    std::vector<int> open;
    std::vector<int> middles(structures.size(), 0);
    for (const CodeRole& r : roles) {
        if (r.sid < 0 || structures[std::size_t(r.sid)].bad) continue;
        if (r.role == Role::Open) {
            open.push_back(r.sid);
            continue;
        }
        while (!open.empty() && open.back() != r.sid) {
            structures[std::size_t(open.back())].bad = true;
            open.pop_back();
        }
        const NodeKind kind = structures[std::size_t(r.sid)].kind;
        const bool last =
            r.role == Role::Close ||
            (!EndsWithCloser(kind) && ++middles[std::size_t(r.sid)] == MiddlesOf(kind));
        if (last && !open.empty()) open.pop_back();
    }
}

class TreeBuilder {
public:
    TreeBuilder(const Bytes& text, const Bytes& codes, const std::vector<CodeRole>& roles,
                const std::vector<Structure>& structures)
        : text_(text), codes_(codes), roles_(roles), structures_(structures) {}

    MathNode Build() {
        MathNode root{NodeKind::Row, 0, 0, int(text_.size()), {}};
        root.children.reserve(text_.size());
        Items(root, -1);
        Pair(root);
        return root;
    }

private:
    unsigned char ParameterAt(std::size_t i) {
        while (scanned_ < i) {
            if (HasParameter(text_[scanned_])) ++cursor_;
            ++scanned_;
        }
        return cursor_ < codes_.size() ? static_cast<unsigned char>(codes_[cursor_]) : 0;
    }

    static MathNode Leaf(NodeKind kind, unsigned char value, std::size_t at) {
        return MathNode{kind, value, int(at), int(at) + 1, {}};
    }

    /// Appends items to `row` until a middle or closer of structure `owner` (not taken) or
    /// the end of the text.
    void Items(MathNode& row, int owner) {
        while (pos_ < text_.size()) {
            const std::size_t at = pos_;
            const char c = text_[at];
            if (!IsCodeChar(c)) {
                row.children.push_back(Leaf(NodeKind::Char, static_cast<unsigned char>(c), at));
                ++pos_;
                continue;
            }
            CodeRole r = at < roles_.size() ? roles_[at] : CodeRole{};
            if (r.sid >= 0 && structures_[std::size_t(r.sid)].bad) r.role = Role::Lone;
            if ((r.role == Role::Middle || r.role == Role::Close) && r.sid == owner) return;
            ++pos_;
            if (!HasParameter(c) || r.role == Role::Skip) continue;
            const unsigned char parameter = ParameterAt(at);
            switch (r.role) {
            case Role::Skip:
                break;
            case Role::Leaf:
                row.children.push_back(Leaf(LeafKind(c, parameter), parameter, at));
                break;
            case Role::Lone:
            case Role::Middle:
            case Role::Close:
                // A lone "log" is a name like any other.
                row.children.push_back(
                    Leaf(c == Code::Structure ? NodeKind::Switch : LeafKind(c, parameter),
                         parameter, at));
                break;
            case Role::Open:
                row.children.push_back(StructureNode(r.sid, parameter, at));
                break;
            }
        }
    }

    static NodeKind LeafKind(char c, unsigned char parameter) {
        switch (c) {
        case Code::Name:
            return NodeKind::Name;
        case Code::Reference:
            return NodeKind::Reference;
        case Code::Symbol:
            return NodeKind::Symbol;
        default:
            return parameter == UnderlineSwitch || parameter == ColourSwitch ? NodeKind::Switch
                                                                             : NodeKind::Sign;
        }
    }

    /// The node of structure `sid`, whose opener stands at `at`: one row per region, each
    /// ended by a middle or the closer.
    MathNode StructureNode(int sid, unsigned char parameter, std::size_t at) {
        const NodeKind kind = structures_[std::size_t(sid)].kind;
        MathNode node{kind,
                      kind == NodeKind::Log ? parameter : static_cast<unsigned char>(0),
                      int(at),
                      int(at),
                      {}};
        const int regions = MiddlesOf(kind) + (EndsWithCloser(kind) ? 1 : 0);
        node.children.reserve(std::size_t(regions));
        for (int region = 0; region < regions; ++region) {
            MathNode row{NodeKind::Row, 0, int(pos_), int(pos_), {}};
            row.children.reserve(std::size_t(
                std::max(0, structures_[std::size_t(sid)].ends[std::size_t(region)] - int(pos_))));
            Items(row, sid);
            row.end = int(pos_);
            Pair(row);
            node.children.push_back(std::move(row));
            if (pos_ < text_.size()) ++pos_; // the middle or closer
        }
        node.end = int(pos_);
        return node;
    }

    /// Pairs the switches of one row: each underline or colour switch with the next one of
    /// its kind in the row; the text between them becomes the node's content.
    static void Pair(MathNode& row) {
        std::vector<MathNode>& items = row.children;
        const auto isSwitch = [](const MathNode& n, unsigned char v) {
            return n.kind == NodeKind::Switch && n.value == v;
        };
        // Lone codes are switch nodes too, with their own parameter.
        const auto pairs = [&](const MathNode& n) {
            return isSwitch(n, UnderlineSwitch) || isSwitch(n, ColourSwitch);
        };
        if (std::none_of(items.begin(), items.end(), pairs)) return;
        std::vector<MathNode> out;
        for (std::size_t k = 0; k < items.size(); ++k) {
            const unsigned char v = items[k].value;
            std::size_t j = k + 1;
            if (pairs(items[k]))
                while (j < items.size() && !isSwitch(items[j], v))
                    ++j;
            if (j == k + 1 || j >= items.size()) {
                out.push_back(std::move(items[k]));
                continue;
            }
            MathNode content{NodeKind::Row, 0, items[k].end, items[j].begin, {}};
            for (std::size_t m = k + 1; m < j; ++m)
                content.children.push_back(std::move(items[m]));
            Pair(content);
            MathNode node{v == UnderlineSwitch ? NodeKind::Underline : NodeKind::Colour,
                          0,
                          items[k].begin,
                          items[j].end,
                          {}};
            node.children.push_back(std::move(content));
            out.push_back(std::move(node));
            k = j;
        }
        items = std::move(out);
    }

    const Bytes& text_;
    const Bytes& codes_;
    const std::vector<CodeRole>& roles_;
    const std::vector<Structure>& structures_;
    std::size_t pos_ = 0;
    std::size_t scanned_ = 0; ///< text characters whose parameters `cursor_` has passed
    std::size_t cursor_ = 0;
};

} // namespace

MathTree BuildTree(const Bytes& text, const Bytes& codes, bool plainText) {
    Bytes t = text, c = codes;
    // The layout's repairs, pass after pass, as the setter runs them until the text is clean.
    for (int passes = 2 * int(text.size()) + 8; passes > 0; --passes) {
        MatchPass pass(t, c, true);
        if (!pass.Run()) {
            MarkCrossings(pass.roles_, pass.structures_);
            return {TreeBuilder(t, c, pass.roles_, pass.structures_).Build(), plainText};
        }
    }
    // Repairs that never settle: what still does not match stays lone.
    MatchPass pass(t, c, false);
    pass.Run();
    MarkCrossings(pass.roles_, pass.structures_);
    return {TreeBuilder(t, c, pass.roles_, pass.structures_).Build(), plainText};
}

} // namespace zelm
