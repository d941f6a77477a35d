// The structure of a value as the quick watch shows it: one node per list
// item, dictionary entry and table part, labelled with its position and kind,
// and the two ways of reaching a node: a q indexing expression (logical mode)
// or an access path in the C accessor notation of kdb+'s k.h (physical mode).
#pragma once

#include "core/values/RenderOptions.h"
#include "kdb/KPtr.h"

#include <QString>

#include <memory>
#include <vector>

struct QuickWatchNode {
    KPtr value;              // the value the node stands for (the vector, for an item node)
    long long item = -1;     // -1: the whole value; else the item of the simple vector
    QString label;           // "[0]", "[`a]", ...; empty for the root and a table's dictionary
    QString text;            // label + " (" + kind + ")", or the kind alone
    QString expression;      // the physical expression that reaches the node ("kK(pK)[1]")
    QuickWatchNode* parent = nullptr;
    std::vector<std::unique_ptr<QuickWatchNode>> children;
};

class QuickWatchTree {
public:
    enum class Mode { Physical, Logical };
    // The most nodes a tree holds; the items beyond get none.
    static constexpr long long kMaxNodes = 10000;

    // The whole tree of root (a reference is taken).
    static std::unique_ptr<QuickWatchNode> build(K root, Mode mode, const RenderOptions& options = {});

    // "long atom", "3 longs", "2 mixed", "table/flip".
    static QString kind(K value, long long item = -1);
    // The node's value as console text (the single item for an item node).
    static QString valueText(const QuickWatchNode& node, const RenderOptions& options);
    // Logical mode: the labels from the root down to node ("[1][`a]"), each
    // the node text up to its first "]".
    static QString logicalPath(const QuickWatchNode& node);
    // Physical mode: the path shown for node.
    static QString physicalPath(const QuickWatchNode& node);

    // The accessor of a list-like type (kK, kJ, ...), empty for others.
    static QString accessor(int type);
    // The member of an atom type (->j, ->s, ...), empty for others.
    static QString member(int type);
    static bool isListLike(int type);
    // Item i of a simple vector as an atom of its type (null when out of range).
    static KPtr itemAtom(K vector, long long i);
};
