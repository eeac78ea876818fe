// XMLNode and XML: the element and text tree that scripts build, parse and
// print. The tree lives in each object's XmlNode, beside its script
// properties; scripts reach it through accessors on XMLNode.prototype.
//
// Parsing is bounded like every reader of movie data: the text is limited by
// the VM's string bound, nesting by kMaxDepth, and every node is a counted
// allocation. Walks over trees a script built (printing, cloning) use an
// explicit stack, so no tree depth can exhaust the native stack.

#include "swf/avm1/builtin_helpers.h"
#include "swf/avm1/interpreter.h"
#include "swf/avm1/markup.h"

#include <algorithm>

namespace fotarel::swf::avm1 {

namespace {

constexpr int kMaxDepth = 1024; // element nesting the parser accepts

// XML.status after parseXML, as the Flash Player reports them.
enum Status : int {
    Ok = 0,
    CdataNotTerminated = -2,
    DeclarationNotTerminated = -3,
    DoctypeNotTerminated = -4,
    CommentNotTerminated = -5,
    MalformedElement = -6,
    AttributeNotTerminated = -8,
    StartWithoutEnd = -9,
    EndWithoutStart = -10,
};

// An accessor property (like addProperty): `set` may be empty (read-only).
void accessor(Interpreter& vm, Object* o, const char* name, NativeFunction get, NativeFunction set = {})
{
    const QString key = QString::fromLatin1(name);
    o->put(key, Value(), DontEnum);
    Slot* s = o->slot(key, true);
    s->getter = vm.newNative(std::move(get));
    if (set)
        s->setter = vm.newNative(std::move(set));
}

XmlNode* nodeOf(const Value& v)
{
    return v.isObject() && v.o->xml ? v.o->xml.get() : nullptr;
}

// The prototype new nodes get: XMLNode.prototype as scripts left it.
Object* nodePrototype(Interpreter& vm)
{
    const Value ctor = vm.getMember(Value::object(vm.global), QStringLiteral("XMLNode"));
    const Value proto = ctor.isObject() ? vm.getMember(ctor, QStringLiteral("prototype")) : Value();
    return proto.isObject() ? proto.o : vm.xmlNodeProto;
}

Object* newNode(Interpreter& vm, int type, const QString& text)
{
    Object* o = vm.alloc(Object::Kind::Plain, nodePrototype(vm));
    o->xml = std::make_unique<XmlNode>();
    o->xml->type = type;
    if (type == XmlNode::Element)
        o->xml->name = Value::string(text);
    else
        o->xml->value = Value::string(text);
    vm.noteAllocation(int64_t(sizeof(XmlNode)) + int64_t(text.size()) * 2);
    return o;
}

Object* attributesOf(Interpreter& vm, XmlNode& n)
{
    if (!n.attributes)
        n.attributes = vm.newObject();
    return n.attributes;
}

void detach(Object* child)
{
    XmlNode& c = *child->xml;
    if (!c.parent)
        return;
    auto& siblings = c.parent->xml->children;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), child), siblings.end());
    c.parent = nullptr;
}

// True when `node` is `ancestor` or lies below it.
bool within(Object* node, Object* ancestor)
{
    for (Object* p = node; p; p = p->xml->parent)
        if (p == ancestor)
            return true;
    return false;
}

// Puts `child` into `parent` before `before` (at the end when null or not a
// child of parent). A node cannot move into itself or its own descendants.
bool insert(Object* parent, Object* child, Object* before)
{
    if (!parent->xml || !child->xml || within(parent, child))
        return false;
    detach(child);
    auto& kids = parent->xml->children;
    auto at = before ? std::find(kids.begin(), kids.end(), before) : kids.end();
    kids.insert(at, child);
    child->xml->parent = parent;
    return true;
}

QString unescape(const QString& s)
{
    if (!s.contains(QLatin1Char('&')))
        return s;
    QString out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] != QLatin1Char('&')) {
            out += s[i];
            continue;
        }
        const qsizetype semi = s.indexOf(QLatin1Char(';'), i + 1);
        if (semi < 0 || semi - i > 12) {
            out += s[i];
            continue;
        }
        const QString entity = s.mid(i + 1, semi - i - 1);
        QString with;
        if (entity == QLatin1String("lt"))
            with = QStringLiteral("<");
        else if (entity == QLatin1String("gt"))
            with = QStringLiteral(">");
        else if (entity == QLatin1String("amp"))
            with = QStringLiteral("&");
        else if (entity == QLatin1String("quot"))
            with = QStringLiteral("\"");
        else if (entity == QLatin1String("apos"))
            with = QStringLiteral("'");
        else if (entity == QLatin1String("nbsp"))
            with = QString(QChar(0xa0));
        else if (entity.startsWith(QLatin1Char('#'))) {
            bool ok = false;
            const uint code = entity.startsWith(QLatin1String("#x"), Qt::CaseInsensitive) ? entity.mid(2).toUInt(&ok, 16)
                                                                                           : entity.mid(1).toUInt(&ok, 10);
            if (ok && code > 0 && code <= 0x10ffff) {
                const char32_t c32 = code;
                with = QString::fromUcs4(&c32, 1);
            }
        }
        if (with.isNull()) {
            out += s[i];
            continue;
        }
        out += with;
        i = semi;
    }
    return out;
}

// toString of a node: elements with their attributes (in the order they were
// set) and children, text escaped; a document (no name) prints only its
// children.
QString print(Interpreter& vm, Object* root)
{
    QString out;
    struct Step {
        Object* node;
        bool closing;
    };
    std::vector<Step> stack{{root, false}};
    while (!stack.empty()) {
        const Step step = stack.back();
        stack.pop_back();
        XmlNode& n = *step.node->xml;
        const bool named = n.type == XmlNode::Element && !n.name.isNullish();
        if (step.closing) {
            out += QLatin1String("</") + vm.toString(n.name) + QLatin1Char('>');
            continue;
        }
        if (n.type != XmlNode::Element) {
            out += escapeMarkup(n.value.isNullish() ? QString() : vm.toString(n.value));
        } else {
            if (named) {
                out += QLatin1Char('<') + vm.toString(n.name);
                if (n.attributes)
                    for (const Slot& s : n.attributes->props)
                        if (!s.removed && !(s.flags & DontEnum) && !s.getter)
                            out += QLatin1Char(' ') + s.name + QLatin1String("=\"") + escapeMarkup(vm.toString(s.value)) +
                                   QLatin1Char('"');
                if (n.children.empty()) {
                    out += QLatin1String(" />");
                    continue;
                }
                out += QLatin1Char('>');
                stack.push_back({step.node, true});
            }
            for (auto it = n.children.rbegin(); it != n.children.rend(); ++it)
                stack.push_back({*it, false});
        }
        if (out.size() > vm.limits.stringLength)
            vm.fail(QStringLiteral("string longer than %1 characters").arg(vm.limits.stringLength));
    }
    vm.checkString(out);
    return out;
}

Object* cloneTree(Interpreter& vm, Object* source, bool deep)
{
    auto copyOne = [&vm](Object* from) {
        Object* to = vm.alloc(Object::Kind::Plain, from->proto);
        to->xml = std::make_unique<XmlNode>();
        to->xml->type = from->xml->type;
        to->xml->name = from->xml->name;
        to->xml->value = from->xml->value;
        if (from->xml->attributes) {
            Object* attrs = attributesOf(vm, *to->xml);
            for (const Slot& s : from->xml->attributes->props)
                if (!s.removed)
                    attrs->put(s.name, s.value, s.flags);
        }
        vm.noteAllocation(int64_t(sizeof(XmlNode)));
        return to;
    };
    Object* top = copyOne(source);
    if (!deep)
        return top;
    std::vector<std::pair<Object*, Object*>> work{{source, top}};
    while (!work.empty()) {
        auto [from, to] = work.back();
        work.pop_back();
        for (Object* child : from->xml->children) {
            Object* copy = copyOne(child);
            to->xml->children.push_back(copy);
            copy->xml->parent = to;
            work.push_back({child, copy});
        }
    }
    return top;
}

bool isWhite(const QString& s)
{
    for (QChar c : s)
        if (!c.isSpace())
            return false;
    return true;
}

// Parses `text` into the children of `doc` (an XML object), sets its
// xmlDecl, docTypeDecl and status, and fills its idMap.
void parseInto(Interpreter& vm, Object* doc, const QString& text)
{
    XmlNode& d = *doc->xml;
    for (Object* c : d.children)
        c->xml->parent = nullptr;
    d.children.clear();
    const bool ignoreWhite = vm.toBoolean(vm.getMember(Value::object(doc), QStringLiteral("ignoreWhite")));
    QString xmlDecl, docType;
    int status = Ok;
    std::vector<Object*> open{doc};
    Object* idMap = nullptr;
    {
        const Value existing = vm.getMember(Value::object(doc), QStringLiteral("idMap"));
        idMap = existing.isObject() ? existing.o : nullptr;
    }

    auto addText = [&](const QString& raw, bool decode) {
        if (raw.isEmpty() || (ignoreWhite && isWhite(raw)))
            return;
        insert(open.back(), newNode(vm, XmlNode::Text, decode ? unescape(raw) : raw), nullptr);
    };

    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && status == Ok) {
        const qsizetype lt = text.indexOf(QLatin1Char('<'), i);
        if (lt < 0) {
            addText(text.mid(i), true);
            break;
        }
        addText(text.mid(i, lt - i), true);
        auto endOf = [&](const char* marker, qsizetype from) {
            const qsizetype at = text.indexOf(QLatin1String(marker), from);
            return at < 0 ? at : at + qsizetype(qstrlen(marker));
        };
        if (text.mid(lt, 9) == QLatin1String("<![CDATA[")) {
            const qsizetype end = endOf("]]>", lt + 9);
            if (end < 0) {
                status = CdataNotTerminated;
                break;
            }
            const QString raw = text.mid(lt + 9, end - 3 - (lt + 9));
            if (!raw.isEmpty())
                insert(open.back(), newNode(vm, XmlNode::Text, raw), nullptr);
            i = end;
        } else if (text.mid(lt, 4) == QLatin1String("<!--")) {
            const qsizetype end = endOf("-->", lt + 4);
            if (end < 0) {
                status = CommentNotTerminated;
                break;
            }
            i = end;
        } else if (text.mid(lt, 2) == QLatin1String("<?")) {
            const qsizetype end = endOf("?>", lt + 2);
            if (end < 0) {
                status = DeclarationNotTerminated;
                break;
            }
            xmlDecl += text.mid(lt, end - lt);
            i = end;
        } else if (text.mid(lt, 2) == QLatin1String("<!")) {
            const qsizetype end = endOf(">", lt + 2);
            if (end < 0) {
                status = DoctypeNotTerminated;
                break;
            }
            docType += text.mid(lt, end - lt);
            i = end;
        } else if (text.mid(lt, 2) == QLatin1String("</")) {
            const qsizetype end = text.indexOf(QLatin1Char('>'), lt + 2);
            if (end < 0) {
                status = MalformedElement;
                break;
            }
            const QString name = text.mid(lt + 2, end - lt - 2).trimmed();
            if (open.size() < 2) {
                status = EndWithoutStart;
                break;
            }
            if (vm.toString(open.back()->xml->name) != name) {
                status = StartWithoutEnd;
                break;
            }
            open.pop_back();
            i = end + 1;
        } else {
            // A start tag: name, attributes (quoted with ' or "), "/>" or ">".
            qsizetype p = lt + 1;
            while (p < n && !text[p].isSpace() && text[p] != QLatin1Char('>') &&
                   !(text[p] == QLatin1Char('/') && p + 1 < n && text[p + 1] == QLatin1Char('>')))
                ++p;
            const QString name = text.mid(lt + 1, p - lt - 1);
            if (name.isEmpty() || p >= n) {
                status = MalformedElement;
                break;
            }
            Object* element = newNode(vm, XmlNode::Element, name);
            bool selfClosing = false;
            bool closed = false;
            while (p < n && status == Ok) {
                while (p < n && text[p].isSpace())
                    ++p;
                if (p >= n)
                    break;
                if (text[p] == QLatin1Char('>')) {
                    ++p;
                    closed = true;
                    break;
                }
                if (text[p] == QLatin1Char('/') && p + 1 < n && text[p + 1] == QLatin1Char('>')) {
                    p += 2;
                    closed = selfClosing = true;
                    break;
                }
                const qsizetype eq = text.indexOf(QLatin1Char('='), p);
                if (eq < 0) {
                    status = MalformedElement;
                    break;
                }
                const QString attr = text.mid(p, eq - p).trimmed();
                qsizetype q = eq + 1;
                while (q < n && text[q].isSpace())
                    ++q;
                if (q >= n || (text[q] != QLatin1Char('"') && text[q] != QLatin1Char('\'')) || attr.isEmpty()) {
                    status = MalformedElement;
                    break;
                }
                const qsizetype close = text.indexOf(text[q], q + 1);
                if (close < 0) {
                    status = AttributeNotTerminated;
                    break;
                }
                const QString value = unescape(text.mid(q + 1, close - q - 1));
                attributesOf(vm, *element->xml)->put(attr, Value::string(value));
                vm.noteAllocation(96 + int64_t(attr.size() + value.size()) * 2);
                if (idMap && attr == QLatin1String("id"))
                    idMap->put(value, Value::object(element));
                p = close + 1;
            }
            if (status != Ok)
                break;
            if (!closed) {
                status = MalformedElement;
                break;
            }
            insert(open.back(), element, nullptr);
            if (!selfClosing) {
                if (int(open.size()) > kMaxDepth) {
                    status = MalformedElement;
                    break;
                }
                open.push_back(element);
            }
            i = p;
        }
    }
    if (status == Ok && open.size() > 1)
        status = StartWithoutEnd;
    doc->put(QStringLiteral("status"), Value::number(status), DontEnum);
    if (!xmlDecl.isEmpty())
        doc->put(QStringLiteral("xmlDecl"), Value::string(xmlDecl), DontEnum);
    if (!docType.isEmpty())
        doc->put(QStringLiteral("docTypeDecl"), Value::string(docType), DontEnum);
}

} // namespace

void Interpreter::setupXmlClasses()
{
    Interpreter& vm = *this;

    // --- XMLNode ---------------------------------------------------------
    xmlNodeProto = alloc(Object::Kind::Plain, objectProto);
    Object* nodeCtor = newNative(
        [](Interpreter&, Args&) { return Value(); },
        [](Interpreter& v, Args& a) {
            if (!a.self.isObject())
                return Value();
            Object* o = a.self.o;
            o->xml = std::make_unique<XmlNode>();
            o->xml->type = int(v.toInteger(a.at(0))) == XmlNode::Text ? int(XmlNode::Text) : int(XmlNode::Element);
            const Value text = a.at(1).isUndefined() ? Value::null() : Value::string(v.toString(a.at(1)));
            if (o->xml->type == XmlNode::Element)
                o->xml->name = text;
            else
                o->xml->value = text;
            return Value();
        });
    nodeCtor->put(QStringLiteral("prototype"), Value::object(xmlNodeProto), DontEnum | DontDelete);
    xmlNodeProto->put(QStringLiteral("constructor"), Value::object(nodeCtor), DontEnum);
    global->put(QStringLiteral("XMLNode"), Value::object(nodeCtor), DontEnum);

    auto nodeRef = [](Object* o) { return o ? Value::object(o) : Value::null(); };
    auto sibling = [](Object* o, int step) -> Object* {
        if (!o->xml->parent)
            return nullptr;
        const auto& kids = o->xml->parent->xml->children;
        const auto at = std::find(kids.begin(), kids.end(), o);
        if (at == kids.end())
            return nullptr;
        const auto index = (at - kids.begin()) + step;
        return index >= 0 && index < qsizetype(kids.size()) ? kids[size_t(index)] : nullptr;
    };
    // Each accessor answers undefined on objects without a tree.
    auto get = [&](const char* name, std::function<Value(Interpreter&, Object*)> fn) {
        return std::make_pair(name, [fn](Interpreter& v, Args& a) -> Value {
            return nodeOf(a.self) ? fn(v, a.self.o) : Value();
        });
    };
    auto readOnly = [&](const char* name, std::function<Value(Interpreter&, Object*)> fn) {
        auto [n, g] = get(name, std::move(fn));
        accessor(vm, xmlNodeProto, n, g);
    };
    readOnly("nodeType", [](Interpreter&, Object* o) { return Value::number(o->xml->type); });
    readOnly("parentNode", [nodeRef](Interpreter&, Object* o) { return nodeRef(o->xml->parent); });
    readOnly("firstChild", [nodeRef](Interpreter&, Object* o) {
        return nodeRef(o->xml->children.empty() ? nullptr : o->xml->children.front());
    });
    readOnly("lastChild", [nodeRef](Interpreter&, Object* o) {
        return nodeRef(o->xml->children.empty() ? nullptr : o->xml->children.back());
    });
    readOnly("nextSibling", [nodeRef, sibling](Interpreter&, Object* o) { return nodeRef(sibling(o, 1)); });
    readOnly("previousSibling", [nodeRef, sibling](Interpreter&, Object* o) { return nodeRef(sibling(o, -1)); });
    readOnly("childNodes", [](Interpreter& v, Object* o) {
        XmlNode& n = *o->xml;
        if (!n.childArray)
            n.childArray = v.newArray();
        std::vector<Value> children;
        children.reserve(n.children.size());
        for (Object* c : n.children)
            children.push_back(Value::object(c));
        v.setArrayValues(n.childArray, children);
        return Value::object(n.childArray);
    });
    // nodeName and nodeValue can be set; null stays null.
    auto textProperty = [&](const char* name, Value XmlNode::*field) {
        accessor(
            vm, xmlNodeProto, name,
            [field](Interpreter&, Args& a) -> Value {
                XmlNode* n = nodeOf(a.self);
                return n ? (n->*field).isUndefined() ? Value::null() : n->*field : Value();
            },
            [field](Interpreter& v, Args& a) -> Value {
                if (XmlNode* n = nodeOf(a.self))
                    n->*field = a.at(0).isNullish() ? Value::null() : Value::string(v.toString(a.at(0)));
                return Value();
            });
    };
    textProperty("nodeName", &XmlNode::name);
    textProperty("nodeValue", &XmlNode::value);
    accessor(
        vm, xmlNodeProto, "attributes",
        [](Interpreter& v, Args& a) -> Value {
            XmlNode* n = nodeOf(a.self);
            return n ? Value::object(attributesOf(v, *n)) : Value();
        },
        [](Interpreter&, Args& a) -> Value {
            if (XmlNode* n = nodeOf(a.self))
                if (a.at(0).isObject())
                    n->attributes = a.at(0).o;
            return Value();
        });
    // Namespace parts of the name ("prefix:local").
    readOnly("prefix", [](Interpreter& v, Object* o) -> Value {
        const QString name = o->xml->name.isNullish() ? QString() : v.toString(o->xml->name);
        const qsizetype colon = name.indexOf(QLatin1Char(':'));
        return o->xml->name.isNullish() ? Value::null() : Value::string(colon < 0 ? QString() : name.left(colon));
    });
    readOnly("localName", [](Interpreter& v, Object* o) -> Value {
        if (o->xml->name.isNullish())
            return Value::null();
        const QString name = v.toString(o->xml->name);
        return Value::string(name.mid(name.indexOf(QLatin1Char(':')) + 1));
    });

    auto method = [&](Object* proto, const char* name, std::function<Value(Interpreter&, Object*, Args&)> fn) {
        def(vm, proto, name, [fn](Interpreter& v, Args& a) -> Value {
            return nodeOf(a.self) ? fn(v, a.self.o, a) : Value();
        });
    };
    // A node that is already a child stays where it is.
    method(xmlNodeProto, "appendChild", [](Interpreter&, Object* o, Args& a) {
        if (nodeOf(a.at(0)) && a.at(0).o->xml->parent != o)
            insert(o, a.at(0).o, nullptr);
        return Value();
    });
    method(xmlNodeProto, "insertBefore", [](Interpreter&, Object* o, Args& a) {
        XmlNode* before = nodeOf(a.at(1));
        if (nodeOf(a.at(0)) && before && before->parent == o)
            insert(o, a.at(0).o, a.at(1).o);
        return Value();
    });
    method(xmlNodeProto, "removeNode", [](Interpreter&, Object* o, Args&) {
        detach(o);
        return Value();
    });
    method(xmlNodeProto, "hasChildNodes", [](Interpreter&, Object* o, Args&) {
        return Value::boolean(!o->xml->children.empty());
    });
    method(xmlNodeProto, "cloneNode", [](Interpreter& v, Object* o, Args& a) {
        return Value::object(cloneTree(v, o, v.toBoolean(a.at(0))));
    });
    method(xmlNodeProto, "toString", [](Interpreter& v, Object* o, Args&) { return Value::string(print(v, o)); });
    // The namespace a prefix is declared for ("xmlns:p" on this node or above).
    method(xmlNodeProto, "getNamespaceForPrefix", [](Interpreter& v, Object* o, Args& a) -> Value {
        const QString prefix = v.toString(a.at(0));
        const QString key = prefix.isEmpty() ? QStringLiteral("xmlns") : QStringLiteral("xmlns:") + prefix;
        for (Object* p = o; p; p = p->xml->parent)
            if (p->xml->attributes)
                if (Slot* s = p->xml->attributes->slot(key, true))
                    return Value::string(v.toString(s->value));
        return Value::null();
    });

    // --- XML (a document node with a parser) --------------------------------
    xmlProto = alloc(Object::Kind::Plain, xmlNodeProto);
    Object* xmlCtor = newNative(
        [](Interpreter&, Args&) { return Value(); },
        [](Interpreter& v, Args& a) {
            if (!a.self.isObject())
                return Value();
            Object* o = a.self.o;
            o->xml = std::make_unique<XmlNode>();
            o->xml->name = Value::null();
            o->xml->value = Value::null();
            o->put(QStringLiteral("status"), Value::number(Ok), DontEnum);
            // Elements with an "id" attribute, by id, as parsing finds them.
            o->put(QStringLiteral("idMap"), Value::object(v.newObject()), DontEnum);
            if (!a.at(0).isUndefined())
                parseInto(v, o, v.toString(a.at(0)));
            return Value();
        });
    xmlCtor->put(QStringLiteral("prototype"), Value::object(xmlProto), DontEnum | DontDelete);
    xmlProto->put(QStringLiteral("constructor"), Value::object(xmlCtor), DontEnum);
    xmlProto->put(QStringLiteral("ignoreWhite"), Value::boolean(false), DontEnum);
    xmlProto->put(QStringLiteral("contentType"), Value::string(QStringLiteral("application/x-www-form-urlencoded")),
                  DontEnum);
    global->put(QStringLiteral("XML"), Value::object(xmlCtor), DontEnum);

    method(xmlProto, "parseXML", [](Interpreter& v, Object* o, Args& a) {
        parseInto(v, o, v.toString(a.at(0)));
        return Value();
    });
    method(xmlProto, "createElement", [](Interpreter& v, Object*, Args& a) {
        return Value::object(newNode(v, XmlNode::Element, v.toString(a.at(0))));
    });
    method(xmlProto, "createTextNode", [](Interpreter& v, Object*, Args& a) {
        return Value::object(newNode(v, XmlNode::Text, v.toString(a.at(0))));
    });
    installTextLoading(xmlProto);
    // The default onData parses the text, marks the document loaded and
    // tells onLoad; undefined data (a failed load) is onLoad(false).
    method(xmlProto, "onData", [](Interpreter& v, Object* o, Args& a) {
        if (a.at(0).isUndefined()) {
            v.callMethod(a.self, QStringLiteral("onLoad"), {Value::boolean(false)});
            return Value();
        }
        parseInto(v, o, v.toString(a.at(0)));
        setLoadState(o, "loaded", Value::boolean(true));
        v.callMethod(a.self, QStringLiteral("onLoad"), {Value::boolean(true)});
        return Value();
    });
    def(vm, xmlProto, "onLoad", [](Interpreter&, Args&) { return Value(); });
}

} // namespace fotarel::swf::avm1
