// The structure model of a line. A matching pass follows the layout's family rules (its
// counters, its searches back and its repairs) without measuring anything; the tree is then
// read from what the pass matched. Structures that the layout allows but no tree can hold
// (two families crossing, a fraction without a bar of its own) keep their codes as lone codes.
#include "exchange/MathTree.h"

#include <algorithm>
#include <array>
#include <optional>

#include "formula/FormulaText.h"

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
class MatchPass {
public:
    MatchPass(Bytes& text, Bytes& codes, bool repair)
        : text_(text), codes_(codes), repair_(repair) {}

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
    enum class Flow { Next, Again, Stop };

    int& Counter(Family f) { return counters_[std::size_t(f)]; }

    unsigned char TakeParameter() {
        const std::size_t i = std::size_t(cursor_++);
        return i < codes_.size() ? static_cast<unsigned char>(codes_[i]) : 0;
    }

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
        for (int i = int(records_.size()) - 1; i >= 1; --i) {
            const Record& r = records_[std::size_t(i)];
            if (r.kind == kind && r.level == level && (kind != Record::Opener || r.node == node))
                return i;
        }
        return 0;
    }

    /// The owner of the region a separator ends: the open root at the root level, or the
    /// newest owner still expecting regions at the index-region level.
    int SearchOwner() {
        for (int i = int(records_.size()) - 1; i >= 1; --i) {
            const Record& r = records_[std::size_t(i)];
            if (r.kind == Record::RootSign && r.level == Counter(Family::Root)) return i;
            if ((r.kind == Record::RootSign || r.kind == Record::Owner) && r.pending > 0 &&
                r.level == Counter(Family::IndexRegion))
                return i;
        }
        return 0;
    }

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
            if (c == Code::Name && (parameter & 0x7F) == NameLog) {
                const int sid = NewStructure(NodeKind::Log);
                AddRecord(
                    {Record::Owner, NodeKind::Log, ++Counter(Family::IndexRegion), 1, false, sid});
                SetRole(Role::Open, sid);
            } else {
                SetRole(Role::Leaf);
            }
            return Flow::Next;
        }
        const std::optional<StructKind> k = StructKindOf(parameter);
        if (!k) return Flow::Next;
        return ActOnStructure(*k);
    }

    /// The family a closer or middle code ends a level of, if it is one.
    static std::optional<Family> FamilyEndedBy(StructKind k) {
        switch (k) {
        case StructKind::PowerEnd:
            return Family::Power;
        case StructKind::RootEnd:
            return Family::Root;
        case StructKind::FractionBar:
        case StructKind::FractionEnd:
            return Family::Fraction;
        case StructKind::BracketEnd:
            return Family::Bracket;
        case StructKind::Separator:
            return Family::IndexRegion;
        case StructKind::Slash:
        case StructKind::SlantedEnd:
            return Family::Slanted;
        case StructKind::IndexEnd:
            return Family::Index;
        case StructKind::Power:
        case StructKind::Root:
        case StructKind::Fraction:
        case StructKind::NumeratorD:
        case StructKind::DenominatorD:
        case StructKind::Integral:
        case StructKind::IntegralD:
        case StructKind::Sum:
        case StructKind::Bracket:
        case StructKind::Slanted:
        case StructKind::Index:
        case StructKind::Pi:
        case StructKind::BoldE:
        case StructKind::BoldX:
        case StructKind::Dot:
        case StructKind::Bar:
        case StructKind::Underline:
        case StructKind::Colour:
            return std::nullopt;
        }
        return std::nullopt;
    }

    Flow ActOnStructure(StructKind k) {
        if (const auto f = FamilyEndedBy(k); f && Counter(*f) == 0) return Stray();
        switch (k) {
        case StructKind::Power:
            return Open(NodeKind::Power, Family::Power);
        case StructKind::Index:
            return Open(NodeKind::Index, Family::Index);
        case StructKind::Fraction:
            return Open(NodeKind::Fraction, Family::Fraction);
        case StructKind::Bracket:
            return Open(NodeKind::Bracket, Family::Bracket);
        case StructKind::Slanted:
            return Open(NodeKind::Slanted, Family::Slanted);
        case StructKind::PowerEnd:
            return Close(NodeKind::Power, Family::Power);
        case StructKind::IndexEnd:
            return Close(NodeKind::Index, Family::Index);
        case StructKind::BracketEnd:
            return Close(NodeKind::Bracket, Family::Bracket);
        case StructKind::FractionBar:
            return Middle(NodeKind::Fraction, Family::Fraction, Record::Bar);
        case StructKind::Slash:
            return Middle(NodeKind::Slanted, Family::Slanted, Record::Slash);
        case StructKind::FractionEnd:
            return CloseWithMiddle(NodeKind::Fraction, Family::Fraction, Record::Bar,
                                   StructKind::FractionBar);
        case StructKind::SlantedEnd:
            return CloseWithMiddle(NodeKind::Slanted, Family::Slanted, Record::Slash,
                                   StructKind::Slash);
        case StructKind::Root: {
            const int sid = NewStructure(NodeKind::Root);
            AddRecord({Record::RootSign, NodeKind::Root, ++Counter(Family::Root), 1, false, sid});
            ++Counter(Family::IndexRegion);
            SetRole(Role::Open, sid);
            return Flow::Next;
        }
        case StructKind::Separator:
            return EndIndexRegion();
        case StructKind::RootEnd:
            return CloseRoot();
        case StructKind::Integral:
        case StructKind::Sum: {
            const NodeKind node = k == StructKind::Integral ? NodeKind::Integral : NodeKind::Sum;
            const int sid = NewStructure(node);
            AddRecord({Record::Owner, node, ++Counter(Family::IndexRegion), 2, false, sid});
            SetRole(Role::Open, sid);
            return Flow::Next;
        }
        case StructKind::NumeratorD:
        case StructKind::DenominatorD:
        case StructKind::IntegralD:
        case StructKind::Pi:
        case StructKind::BoldE:
        case StructKind::BoldX:
        case StructKind::Dot:
        case StructKind::Bar:
        case StructKind::Underline:
        case StructKind::Colour:
            SetRole(Role::Leaf);
            return Flow::Next;
        }
        return Flow::Next;
    }

    Flow Open(NodeKind node, Family f) {
        const int sid = NewStructure(node);
        AddRecord({Record::Opener, node, ++Counter(f), 0, false, sid});
        SetRole(Role::Open, sid);
        return Flow::Next;
    }

    Flow Close(NodeKind node, Family f) {
        const int o = SearchBack(Record::Opener, Counter(f), node);
        --Counter(f);
        return Ends(o, Role::Close);
    }

    /// Gives the code at the walk's position to the structure of record `r`.
    Flow Ends(int r, Role role) {
        const int sid = records_[std::size_t(r)].sid;
        if (sid < 0) {
            SetRole(Role::Lone);
            return Flow::Next;
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
        return Flow::Next;
    }

    Flow Middle(NodeKind node, Family f, Record::Kind kind) {
        const int o = SearchBack(Record::Opener, Counter(f), node);
        AddRecord({kind, node, Counter(f), 0, false, records_[std::size_t(o)].sid});
        return Ends(o, Role::Middle);
    }

    /// A fraction's or slanted fraction's closer: the layout takes the newest bar (slash) at
    /// the family's level, even one of an earlier fraction; with none at all it inserts one.
    Flow CloseWithMiddle(NodeKind node, Family f, Record::Kind kind, StructKind missing) {
        const int m = SearchBack(kind, Counter(f));
        if (m == 0) {
            if (!repair_) {
                SetRole(Role::Lone);
                return Flow::Next;
            }
            InsertCode(pos_, missing);
            Counter(f) = 0;
            return Flow::Stop;
        }
        const int o = SearchBack(Record::Opener, Counter(f), node);
        --Counter(f);
        const int sid = records_[std::size_t(o)].sid;
        if (sid >= 0 && records_[std::size_t(m)].sid != sid)
            structures_[std::size_t(sid)].bad = true;
        return Ends(o, Role::Close);
    }

    Flow EndIndexRegion() {
        const int q = SearchOwner();
        Record& owner = records_[std::size_t(q)];
        --owner.pending;
        owner.ended = true;
        if (owner.pending <= 0) --Counter(Family::IndexRegion);
        return Ends(q, Role::Middle);
    }

    Flow CloseRoot() {
        const int r = SearchBack(Record::RootSign, Counter(Family::Root));
        if (!records_[std::size_t(r)].ended) {
            if (!repair_) {
                SetRole(Role::Lone);
                return Flow::Next;
            }
            // A root whose index was never ended becomes a square root with index "2".
            const std::size_t at =
                std::min(OpenerPos(records_[std::size_t(r)].sid) + 1, text_.size());
            text_.insert(at, 1, '2');
            InsertCode(at + 1, StructKind::Separator);
            Counter(Family::Root) = 0;
            return Flow::Stop;
        }
        --Counter(Family::Root);
        return Ends(r, Role::Close);
    }

    std::size_t OpenerPos(int sid) const {
        for (std::size_t i = 0; i < roles_.size(); ++i)
            if (roles_[i].role == Role::Open && roles_[i].sid == sid) return i;
        return 0;
    }

    /// A closer or separator without an open structure of its family.
    Flow Stray() {
        if (!repair_) {
            SetRole(Role::Lone);
            return Flow::Next;
        }
        text_.erase(pos_, 1);
        roles_.erase(roles_.begin() + std::ptrdiff_t(pos_));
        --cursor_;
        if (std::size_t(cursor_) < codes_.size()) codes_.erase(std::size_t(cursor_), 1);
        repaired_ = true;
        return Flow::Again;
    }

    void InsertCode(std::size_t at, StructKind k) {
        InsertStructureCode(text_, codes_, int(at) + 1, k);
        repaired_ = true;
    }

    /// Structures still open are closed at the end of the text, family by family.
    void AppendMissingClosers() {
        if (zelm::AppendMissingClosers(text_, codes_, counters_)) repaired_ = true;
    }

    Bytes& text_;
    Bytes& codes_;
    const bool repair_;
    std::vector<Record> records_;
    std::array<int, FamilyCount> counters_{};
    std::size_t pos_ = 0;
    int cursor_ = 0;
    bool repaired_ = false;
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
