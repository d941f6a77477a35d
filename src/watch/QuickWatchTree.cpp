#include "watch/QuickWatchTree.h"

#include "core/values/KRender.h"
#include "core/values/ValueCatalogue.h"

#include <cstring>

namespace {

constexpr int kMaxDepth = 200; // a reply nests no deeper than the decoder allows; this keeps recursion bounded

struct Build {
    QuickWatchTree::Mode mode;
    KRender renderer;
    long long nodes = 1; // the root
};

bool isSimpleVector(int type) { return type > 0 && type < 77; }
bool isDictionary(int type) { return type == XD || type == SD; }

void addChildren(QuickWatchNode& node, Build& build, int depth);

void addNode(QuickWatchNode& parent, K value, long long item, const QString& label, Build& build, int depth)
{
    // A value of millions of items would freeze the window: the tree stops growing.
    if (build.nodes >= QuickWatchTree::kMaxNodes)
        return;
    ++build.nodes;
    auto node = std::make_unique<QuickWatchNode>();
    node->value = KPtr(r1(value));
    node->item = item;
    node->label = label;
    const QString kind = QuickWatchTree::kind(value, item);
    node->text = label.isEmpty() ? kind : label + QStringLiteral(" (") + kind + u')';
    node->parent = &parent;
    const int parentType = parent.value->t;
    if (label.isEmpty() && parentType == XT)
        node->expression = parent.expression + QStringLiteral("->k");
    else
        node->expression = QuickWatchTree::accessor(parentType) + u'(' + parent.expression + u')' + label;
    parent.children.push_back(std::move(node));
    if (item < 0)
        addChildren(*parent.children.back(), build, depth + 1);
}

QString keyLabel(K keys, long long i, KRender& renderer)
{
    if (keys->t == KS)
        return QStringLiteral("[`") + QString::fromUtf8(kS(keys)[i]) + u']';
    QString text = renderer.render(keys, -1, false, i);
    const QString letter = ValueCatalogue::typeLetter(keys->t);
    if (!letter.isEmpty() && !text.endsWith(letter))
        text += letter;
    return u'[' + text + u']';
}

void addChildren(QuickWatchNode& node, Build& build, int depth)
{
    const QuickWatchTree::Mode mode = build.mode;
    K v = node.value.get();
    if (depth > kMaxDepth)
        return;
    if (v->t == 0) {
        for (long long i = 0; i < v->n && build.nodes < QuickWatchTree::kMaxNodes; ++i)
            addNode(node, kK(v)[i], -1, u'[' + QString::number(i) + u']', build, depth);
    } else if (v->t == XT) {
        addNode(node, v->k, -1, QString(), build, depth);
    } else if (isDictionary(v->t)) {
        K keys = kK(v)[0];
        K values = kK(v)[1];
        if (mode == QuickWatchTree::Mode::Physical) {
            addNode(node, keys, -1, QStringLiteral("[0]"), build, depth);
            addNode(node, values, -1, QStringLiteral("[1]"), build, depth);
        } else if (keys->t == XT && values->t == XT) {
            addNode(node, values->k, -1, u'[' + build.renderer.render(keys) + u']', build, depth);
        } else if (keys->t >= 0 && keys->t < 77 && values->t >= 0 && values->t < 77) {
            const long long n = std::min(keys->n, values->n);
            for (long long i = 0; i < n && build.nodes < QuickWatchTree::kMaxNodes; ++i) {
                const QString label = keyLabel(keys, i, build.renderer);
                if (values->t == 0)
                    addNode(node, kK(values)[i], -1, label, build, depth);
                else
                    addNode(node, values, i, label, build, depth);
            }
        }
    }
}

} // namespace

std::unique_ptr<QuickWatchNode> QuickWatchTree::build(K root, Mode mode, const RenderOptions& options)
{
    auto node = std::make_unique<QuickWatchNode>();
    if (!root)
        return node;
    Build build{mode, KRender(options)};
    node->value = KPtr(r1(root));
    node->text = kind(root);
    node->expression = QStringLiteral("pK");
    addChildren(*node, build, 0);
    return node;
}

QString QuickWatchTree::kind(K value, long long item)
{
    if (!value)
        return {};
    const int t = value->t;
    if (t < 0 || item >= 0)
        return ValueCatalogue::typeName(t < 0 ? -t : t) + QStringLiteral(" atom");
    if (t < XT)
        return QString::number(value->n) + u' ' + ValueCatalogue::typeName(t) + (t > 0 ? QStringLiteral("s") : QString());
    return ValueCatalogue::typeName(t);
}

KPtr QuickWatchTree::itemAtom(K vector, long long i)
{
    if (!vector || !isSimpleVector(vector->t) || i < 0 || i >= vector->n)
        return {};
    const int t = vector->t;
    if (t == UU)
        return KPtr(ku(kU(vector)[i]));
    if (t == KS)
        return KPtr(ks(kS(vector)[i]));
    K atom = ka(-t);
    const J size = kItemSize(t);
    std::memcpy(&atom->g, kG(vector) + i * size, static_cast<std::size_t>(size));
    return KPtr(atom);
}

QString QuickWatchTree::valueText(const QuickWatchNode& node, const RenderOptions& options)
{
    if (!node.value)
        return {};
    if (node.item < 0)
        return renderConsole(node.value.get(), options);
    const KPtr atom = itemAtom(node.value.get(), node.item);
    return atom ? renderConsole(atom.get(), options) : QString();
}

QString QuickWatchTree::logicalPath(const QuickWatchNode& node)
{
    QString path;
    for (const QuickWatchNode* n = &node; n; n = n->parent) {
        if (!n->text.startsWith(u'['))
            continue;
        const qsizetype close = n->text.indexOf(u']');
        if (close >= 0)
            path.prepend(n->text.left(close + 1));
    }
    return path;
}

QString QuickWatchTree::physicalPath(const QuickWatchNode& node)
{
    if (!node.value)
        return {};
    const int t = node.value->t;
    if (node.item >= 0)
        return accessor(t) + u'(' + node.expression + QStringLiteral(")[") + QString::number(node.item) + u']'
            + member(-t);
    if (isListLike(t))
        return accessor(t) + u'(' + node.expression + u')';
    if (t == XT)
        return node.expression + QStringLiteral("->k");
    if (t < 0)
        return node.expression + member(t);
    return node.expression;
}

bool QuickWatchTree::isListLike(int type)
{
    return (type >= 0 && type < XT) || isDictionary(type);
}

QString QuickWatchTree::accessor(int type)
{
    switch (type) {
    case 0: case XD: case SD: return QStringLiteral("kK");
    case KB: case KG: return QStringLiteral("kG");
    case UU: return QStringLiteral("kU");
    case KH: return QStringLiteral("kH");
    case KI: case KM: case KD: case KU: case KV: case KT: return QStringLiteral("kI");
    case KJ: case KP: case KN: return QStringLiteral("kJ");
    case KE: return QStringLiteral("kE");
    case KF: case KZ: return QStringLiteral("kF");
    case KC: return QStringLiteral("kC");
    case KS: return QStringLiteral("kS");
    default:
        // Enumerations hold longs; other lists hold values.
        if (type >= 20 && type < 77)
            return QStringLiteral("kJ");
        return type > 0 && type < XT ? QStringLiteral("kK") : QString();
    }
}

QString QuickWatchTree::member(int type)
{
    switch (-type) {
    case KB: case KG: return QStringLiteral("->g");
    case UU: return QStringLiteral("->u");
    case KH: return QStringLiteral("->h");
    case KI: case KM: case KD: case KU: case KV: case KT: return QStringLiteral("->i");
    case KJ: case KP: case KN: return QStringLiteral("->j");
    case KE: return QStringLiteral("->e");
    case KF: case KZ: return QStringLiteral("->f");
    case KC: return QStringLiteral("->c");
    case KS: return QStringLiteral("->s");
    case 128: return QStringLiteral("->s"); // an error's text
    default:
        return -type >= 20 && -type < 77 ? QStringLiteral("->j") : QString();
    }
}
