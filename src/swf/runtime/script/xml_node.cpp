#include "swf/runtime/script/xml_node.h"

#include <cstdint>
#include <utility>

#include "swf/runtime/script/text_units.h"
#include "swf/runtime/script/vm.h"

namespace velmora::swf::script {

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool allSpace(std::string_view s) {
    for (char c : s) {
        if (!isSpace(c)) return false;
    }
    return true;
}

// Text with its entities decoded; an entity we do not know is kept as written.
std::string decodeEntities(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '&') {
            out += s[i];
            continue;
        }
        const size_t semi = s.find(';', i);
        if (semi == std::string_view::npos || semi - i > 10) {
            out += '&';
            continue;
        }
        const std::string_view name = s.substr(i + 1, semi - i - 1);
        static constexpr std::pair<std::string_view, char> kNamed[] = {
            {"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"quot", '"'}, {"apos", '\''}};
        bool done = false;
        for (const auto& [entity, c] : kNamed) {
            if (name == entity) {
                out += c;
                done = true;
            }
        }
        if (!done && name.size() >= 2 && name[0] == '#') {
            const bool hex = name[1] == 'x' || name[1] == 'X';
            uint32_t cp = 0;
            bool ok = name.size() > (hex ? 2u : 1u);
            for (size_t k = hex ? 2 : 1; ok && k < name.size(); ++k) {
                const char c = name[k];
                int digit = c >= '0' && c <= '9' ? c - '0' : -1;
                if (hex && digit < 0) digit = c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
                if (digit < 0 || (!hex && digit > 9)) ok = false;
                cp = cp * (hex ? 16 : 10) + static_cast<uint32_t>(digit);
                if (cp > 0x10FFFF) ok = false;
            }
            if (ok && cp != 0) {
                appendUtf8(out, cp);
                done = true;
            }
        }
        if (done) {
            i = semi;
        } else {
            out += '&';
        }
    }
    return out;
}

void appendEscaped(std::string& out, std::string_view s) {
    for (char c : s) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default: out += c;
        }
    }
}

XmlNode* makeNode(Vm& vm, Object* proto, int type) {
    auto* node = vm.heap().make<XmlNode>(proto, "XMLNode");
    node->type = type;
    node->name = Value::null();
    node->value = Value::null();
    return node;
}

void adopt(Vm& vm, XmlNode& parent, XmlNode* child) {
    child->parent = &parent;
    parent.children.push_back(child);
    vm.heap().account(&parent);
}

// Keeps the document's declarations as the player keeps them: the text as written, on the
// document, added to what an earlier declaration left there.
void appendDeclaration(Vm& vm, XmlNode& document, const char* property, std::string_view text) {
    String* key = vm.key(property);
    std::string joined;
    if (const Property* p = document.findOwn(key); p && p->value.isString()) joined = p->value.asString()->text();
    joined += text;
    document.put(key, vm.name(property), Value::string(vm.heap().string(std::move(joined))));
}

}  // namespace

Object* XmlNode::attributesObject(Vm& vm) {
    if (!attributes) attributes = vm.newObject();
    return attributes;
}

bool XmlNode::isInside(const XmlNode* other) const {
    for (const XmlNode* n = this; n; n = n->parent) {
        if (n == other) return true;
    }
    return false;
}

void XmlNode::detach() {
    if (!parent) return;
    auto& siblings = parent->children;
    for (size_t i = 0; i < siblings.size(); ++i) {
        if (siblings[i] == this) {
            siblings.erase(siblings.begin() + static_cast<std::ptrdiff_t>(i));
            break;
        }
    }
    parent = nullptr;
}

bool XmlNode::getSpecial(Vm& vm, String* key, Value& out) {
    auto node = [](XmlNode* n) { return n ? Value::object(n) : Value::null(); };
    auto sibling = [this](int step) -> XmlNode* {
        if (!parent) return nullptr;
        const auto& s = parent->children;
        for (size_t i = 0; i < s.size(); ++i) {
            if (s[i] == this) {
                const auto j = static_cast<std::ptrdiff_t>(i) + step;
                return j >= 0 && j < static_cast<std::ptrdiff_t>(s.size()) ? s[static_cast<size_t>(j)] : nullptr;
            }
        }
        return nullptr;
    };
    if (vm.sameKey(key, vm.key("firstChild"))) {
        out = node(children.empty() ? nullptr : children.front());
    } else if (vm.sameKey(key, vm.key("lastChild"))) {
        out = node(children.empty() ? nullptr : children.back());
    } else if (vm.sameKey(key, vm.key("parentNode"))) {
        out = node(parent);
    } else if (vm.sameKey(key, vm.key("nextSibling"))) {
        out = node(sibling(1));
    } else if (vm.sameKey(key, vm.key("previousSibling"))) {
        out = node(sibling(-1));
    } else if (vm.sameKey(key, vm.key("childNodes"))) {
        ArrayObject* list = vm.newArray();
        for (XmlNode* c : children) list->elements().push_back(Value::object(c));
        vm.heap().account(list);
        out = Value::object(list);
    } else if (vm.sameKey(key, vm.key("nodeType"))) {
        out = Value::number(type);
    } else if (vm.sameKey(key, vm.key("nodeName"))) {
        out = name;
    } else if (vm.sameKey(key, vm.key("nodeValue"))) {
        out = value;
    } else if (vm.sameKey(key, vm.key("attributes"))) {
        out = Value::object(attributesObject(vm));
    } else if (vm.sameKey(key, vm.key("localName")) || vm.sameKey(key, vm.key("prefix"))) {
        if (!name.isString()) {
            out = Value::null();
            return true;
        }
        const std::string& n = name.asString()->text();
        const size_t colon = n.find(':');
        const bool local = vm.sameKey(key, vm.key("localName"));
        if (colon == std::string::npos) {
            out = local ? name : Value::string(vm.names().empty);
        } else {
            out = Value::string(vm.heap().string(local ? n.substr(colon + 1) : n.substr(0, colon)));
        }
    } else {
        return false;
    }
    return true;
}

bool XmlNode::setSpecial(Vm& vm, String* key, const Value& v) {
    if (vm.sameKey(key, vm.key("nodeName"))) {
        name = v.isNullish() ? Value::null() : Value::string(vm.toString(v));
    } else if (vm.sameKey(key, vm.key("nodeValue"))) {
        value = v.isNullish() ? Value::null() : Value::string(vm.toString(v));
    } else if (vm.sameKey(key, vm.key("attributes"))) {
        if (Object* o = v.objectOrNull()) attributes = o;
    } else if (vm.sameKey(key, vm.key("firstChild")) || vm.sameKey(key, vm.key("lastChild")) || vm.sameKey(key, vm.key("parentNode")) ||
               vm.sameKey(key, vm.key("nextSibling")) || vm.sameKey(key, vm.key("previousSibling")) || vm.sameKey(key, vm.key("childNodes")) ||
               vm.sameKey(key, vm.key("nodeType"))) {
        // The tree's links change only through its methods.
    } else {
        return false;
    }
    return true;
}

void XmlNode::trace(Tracer& tracer) {
    tracer.mark(name);
    tracer.mark(value);
    tracer.mark(parent);
    for (XmlNode* c : children) tracer.mark(c);
    tracer.mark(attributes);
    Object::trace(tracer);
}

int parseXml(Vm& vm, XmlNode& document, std::string_view text, bool ignoreWhite, Object* nodeProto) {
    for (XmlNode* c : document.children) c->parent = nullptr;
    document.children.clear();
    document.remove(vm.key("xmlDecl"));
    document.remove(vm.key("docTypeDecl"));
    std::vector<XmlNode*> open{&document};
    size_t i = 0;
    auto addText = [&](std::string value) {
        XmlNode* t = makeNode(vm, nodeProto, XmlNode::kText);
        t->value = Value::string(vm.heap().string(std::move(value)));
        adopt(vm, *open.back(), t);
    };
    while (i < text.size()) {
        if (text[i] != '<') {
            const size_t end = std::min(text.find('<', i), text.size());
            const std::string_view raw = text.substr(i, end - i);
            if (!(ignoreWhite && allSpace(raw))) addText(decodeEntities(raw));
            i = end;
            continue;
        }
        const std::string_view rest = text.substr(i);
        if (rest.substr(0, 4) == "<!--") {
            const size_t end = text.find("-->", i + 4);
            if (end == std::string_view::npos) return kXmlCommentUnterminated;
            i = end + 3;
        } else if (rest.substr(0, 9) == "<![CDATA[") {
            const size_t end = text.find("]]>", i + 9);
            if (end == std::string_view::npos) return kXmlCdataUnterminated;
            addText(std::string(text.substr(i + 9, end - i - 9)));
            i = end + 3;
        } else if (rest.substr(0, 2) == "<!") {
            // <!DOCTYPE name [ internal subset ]>: the subset may hold '>' of its own.
            size_t end = text.find('>', i);
            const size_t bracket = text.find('[', i);
            if (bracket != std::string_view::npos && bracket < end) {
                const size_t close = text.find("]", bracket);
                end = close == std::string_view::npos ? close : text.find('>', close);
            }
            if (end == std::string_view::npos) return kXmlDoctypeUnterminated;
            appendDeclaration(vm, document, "docTypeDecl", text.substr(i, end + 1 - i));
            i = end + 1;
        } else if (rest.substr(0, 2) == "<?") {
            const size_t end = text.find("?>", i + 2);
            if (end == std::string_view::npos) return kXmlDeclarationUnterminated;
            appendDeclaration(vm, document, "xmlDecl", text.substr(i, end + 2 - i));
            i = end + 2;
        } else if (rest.substr(0, 2) == "</") {
            const size_t end = text.find('>', i);
            if (end == std::string_view::npos) return kXmlMalformedElement;
            std::string_view name = text.substr(i + 2, end - i - 2);
            while (!name.empty() && isSpace(name.back())) name.remove_suffix(1);
            const XmlNode* top = open.back();
            if (open.size() > 1 && top->name.isString() && top->name.asString()->view() == name) {
                open.pop_back();
                i = end + 1;
                continue;
            }
            for (size_t k = open.size(); k-- > 1;) {
                if (open[k]->name.isString() && open[k]->name.asString()->view() == name) return kXmlMissingEndTag;
            }
            return kXmlMissingStartTag;
        } else {
            size_t p = i + 1;
            while (p < text.size() && !isSpace(text[p]) && text[p] != '/' && text[p] != '>') ++p;
            if (p == i + 1 || p >= text.size()) return kXmlMalformedElement;
            if (open.size() > kMaxXmlDepth) return kXmlMalformedElement;
            XmlNode* element = makeNode(vm, nodeProto, XmlNode::kElement);
            element->name = Value::string(vm.name(text.substr(i + 1, p - i - 1)));
            adopt(vm, *open.back(), element);
            bool closed = false;
            while (true) {
                while (p < text.size() && isSpace(text[p])) ++p;
                if (p >= text.size()) return kXmlMalformedElement;
                if (text[p] == '>') {
                    ++p;
                    break;
                }
                if (text[p] == '/') {
                    if (p + 1 >= text.size() || text[p + 1] != '>') return kXmlMalformedElement;
                    p += 2;
                    closed = true;
                    break;
                }
                const size_t nameStart = p;
                while (p < text.size() && !isSpace(text[p]) && text[p] != '=' && text[p] != '>' && text[p] != '/') ++p;
                const std::string_view attribute = text.substr(nameStart, p - nameStart);
                while (p < text.size() && isSpace(text[p])) ++p;
                if (attribute.empty() || p >= text.size() || text[p] != '=') return kXmlMalformedElement;
                ++p;
                while (p < text.size() && isSpace(text[p])) ++p;
                if (p >= text.size() || (text[p] != '"' && text[p] != '\'')) return kXmlMalformedElement;
                const size_t close = text.find(text[p], p + 1);
                if (close == std::string_view::npos) return kXmlAttributeUnterminated;
                const std::string value = decodeEntities(text.substr(p + 1, close - p - 1));
                element->attributesObject(vm)->put(vm.key(attribute), vm.name(attribute),
                                                   Value::string(vm.heap().string(value)));
                p = close + 1;
            }
            if (!closed) open.push_back(element);
            i = p;
        }
    }
    return open.size() > 1 ? kXmlMissingEndTag : kXmlOk;
}

std::string serializeXml(Vm& vm, XmlNode& root) {
    std::string out;
    auto check = [&] {
        if (out.size() > vm.limits().maxStringBytes) throw LimitExceeded{"an XML text longer than the string limit"};
    };
    if (root.type == XmlNode::kElement && !root.name.isString()) {
        for (const char* declaration : {"xmlDecl", "docTypeDecl"}) {
            const Property* p = root.findOwn(vm.key(declaration));
            if (p && !p->isAccessor() && !p->value.isNullish()) out += vm.toString(p->value)->text();
        }
    }
    // Depth first without recursion: a script can chain nodes deeper than the C++ stack goes.
    std::vector<std::pair<XmlNode*, size_t>> stack{{&root, 0}};
    while (!stack.empty()) {
        auto& [node, next] = stack.back();
        const bool named = node->type == XmlNode::kElement && node->name.isString();
        if (next == 0) {
            if (node->type != XmlNode::kElement) {
                if (!node->value.isNullish()) appendEscaped(out, vm.toString(node->value)->view());
                stack.pop_back();
                check();
                continue;
            }
            if (named) {
                out += '<';
                out += node->name.asString()->view();
                if (node->attributes) {
                    for (const Property& p : node->attributes->properties()) {
                        if (p.isAccessor() || (p.flags & kDontEnum)) continue;
                        out += ' ';
                        out += p.name->view();
                        out += "=\"";
                        appendEscaped(out, vm.toString(p.value)->view());
                        out += '"';
                    }
                }
                if (node->children.empty()) {
                    out += " />";
                    stack.pop_back();
                    check();
                    continue;
                }
                out += '>';
            }
        }
        if (next < node->children.size()) {
            XmlNode* child = node->children[next++];
            stack.emplace_back(child, 0);
            continue;
        }
        if (named) {
            out += "</";
            out += node->name.asString()->view();
            out += '>';
        }
        stack.pop_back();
        check();
    }
    return out;
}

XmlNode* cloneXml(Vm& vm, XmlNode& source, bool deep) {
    auto copy = [&vm](XmlNode& from) {
        XmlNode* to = makeNode(vm, from.proto(), from.type);
        to->name = from.name;
        to->value = from.value;
        if (from.attributes) {
            Object* a = to->attributesObject(vm);
            for (const Property& p : from.attributes->properties()) {
                if (!p.isAccessor()) a->put(p.key, p.name, p.value, p.flags);
            }
        }
        return to;
    };
    XmlNode* top = copy(source);
    if (!deep) return top;
    std::vector<std::pair<XmlNode*, XmlNode*>> work{{&source, top}};
    while (!work.empty()) {
        auto [from, to] = work.back();
        work.pop_back();
        for (XmlNode* child : from->children) {
            XmlNode* c = copy(*child);
            adopt(vm, *to, c);
            work.emplace_back(child, c);
        }
    }
    return top;
}

}  // namespace velmora::swf::script
