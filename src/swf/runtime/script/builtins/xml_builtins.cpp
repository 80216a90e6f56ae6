// XMLNode and XML: building, reading and writing trees, and XML files read from beside the movie.
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/script/builtins/data_loading.h"
#include "swf/runtime/script/builtins/library_classes.h"
#include "swf/runtime/script/file_loads.h"
#include "swf/runtime/script/xml_node.h"

namespace velmora::swf::script {

namespace {

XmlNode* thisNode(const Value& self) {
    Object* o = self.objectOrNull();
    return o && o->kind() == ObjectKind::Host ? dynamic_cast<XmlNode*>(o) : nullptr;
}

Object* allocateNode(Vm& vm, Object* proto) { return vm.heap().make<XmlNode>(proto, "XMLNode"); }
Object* allocateDocument(Vm& vm, Object* proto) {
    auto* document = vm.heap().make<XmlNode>(proto, "XML");
    document->name = Value::null();
    document->value = Value::null();
    return document;
}

// The prototype of the nodes the XML methods make, kept in each such method's data.
Object* nodePrototype(CallContext& cx) { return cx.callee->data.objectOrNull(); }

XmlNode* newNode(CallContext& cx, int type, const Value& text) {
    auto* node = static_cast<XmlNode*>(allocateNode(cx.vm, nodePrototype(cx)));
    node->type = type;
    node->name = Value::null();
    node->value = Value::null();
    (type == XmlNode::kElement ? node->name : node->value) = Value::string(cx.toString(text));
    return node;
}

Value nodeConstruct(CallContext& cx, const Value& self, std::span<const Value> args) {
    XmlNode* node = thisNode(self);
    if (!node) return Value();
    node->type = cx.toNumber(arg(args, 0)) == double{XmlNode::kText} ? XmlNode::kText : XmlNode::kElement;
    node->name = Value::null();
    node->value = Value::null();
    if (!arg(args, 1).isUndefined()) {
        (node->type == XmlNode::kElement ? node->name : node->value) = Value::string(cx.toString(arg(args, 1)));
    }
    return Value();
}

// Whether child may go under parent: not the node itself nor one of its ancestors (the tree
// would become a loop).
bool canAdopt(XmlNode* parent, XmlNode* child) { return parent && child && !parent->isInside(child); }

Value appendChild(CallContext& cx, const Value& self, std::span<const Value> args) {
    XmlNode* parent = thisNode(self);
    XmlNode* child = thisNode(arg(args, 0));
    if (!canAdopt(parent, child)) return Value();
    child->detach();
    child->parent = parent;
    parent->children.push_back(child);
    cx.heap().account(parent);
    return Value();
}

Value insertBefore(CallContext& cx, const Value& self, std::span<const Value> args) {
    XmlNode* parent = thisNode(self);
    XmlNode* child = thisNode(arg(args, 0));
    XmlNode* before = thisNode(arg(args, 1));
    if (!canAdopt(parent, child) || !before || before->parent != parent || before == child) return Value();
    child->detach();
    auto& list = parent->children;
    for (size_t i = 0; i < list.size(); ++i) {
        if (list[i] == before) {
            list.insert(list.begin() + static_cast<std::ptrdiff_t>(i), child);
            break;
        }
    }
    child->parent = parent;
    cx.heap().account(parent);
    return Value();
}

Value removeNode(CallContext&, const Value& self, std::span<const Value>) {
    if (XmlNode* node = thisNode(self)) node->detach();
    return Value();
}

Value cloneNode(CallContext& cx, const Value& self, std::span<const Value> args) {
    XmlNode* node = thisNode(self);
    return node ? Value::object(cloneXml(cx.vm, *node, cx.toBoolean(arg(args, 0)))) : Value();
}

Value hasChildNodes(CallContext&, const Value& self, std::span<const Value>) {
    XmlNode* node = thisNode(self);
    return Value::boolean(node && !node->children.empty());
}

Value nodeToString(CallContext& cx, const Value& self, std::span<const Value>) {
    XmlNode* node = thisNode(self);
    return node ? cx.stringValue(serializeXml(cx.vm, *node)) : cx.stringValue("[object Object]");
}

Value createElement(CallContext& cx, const Value&, std::span<const Value> args) {
    return Value::object(newNode(cx, XmlNode::kElement, arg(args, 0)));
}

Value createTextNode(CallContext& cx, const Value&, std::span<const Value> args) {
    return Value::object(newNode(cx, XmlNode::kText, arg(args, 0)));
}

Value parseXmlMethod(CallContext& cx, const Value& self, std::span<const Value> args) {
    XmlNode* document = thisNode(self);
    if (!document) return Value();
    const Value text = Value::string(cx.toString(arg(args, 0)));
    const int status = parseXml(cx.vm, *document, text.asString()->view(), cx.toBoolean(cx.get(self, "ignoreWhite")),
                                nodePrototype(cx));
    cx.set(self, "status", Value::number(status));
    return Value();
}

Value documentConstruct(CallContext& cx, const Value& self, std::span<const Value> args) {
    if (!arg(args, 0).isNullish()) parseXmlMethod(cx, self, args);
    return Value();
}

// What a loaded file does by default: parse it and tell onLoad whether it came.
Value documentOnData(CallContext& cx, const Value& self, std::span<const Value> args) {
    const Value text = arg(args, 0);
    if (text.isUndefined()) {
        cx.set(self, "loaded", Value::boolean(false));
        const Value failed = Value::boolean(false);
        cx.call(cx.get(self, "onLoad"), self, std::span<const Value>(&failed, 1));
        return Value();
    }
    parseXmlMethod(cx, self, args);
    cx.set(self, "loaded", Value::boolean(true));
    const Value succeeded = Value::boolean(true);
    cx.call(cx.get(self, "onLoad"), self, std::span<const Value>(&succeeded, 1));
    return Value();
}

}  // namespace

void installXml(Vm& vm) {
    Object* nodeProto = vm.newObject();
    defineConstructor(vm, "XMLNode", nodeConstruct, nodeProto, allocateNode, 2);
    defineMethods(vm, nodeProto,
                  {{"appendChild", appendChild, 1},
                   {"insertBefore", insertBefore, 2},
                   {"removeNode", removeNode},
                   {"cloneNode", cloneNode, 1},
                   {"hasChildNodes", hasChildNodes},
                   {"toString", nodeToString}});

    Object* documentProto = vm.newObject(nodeProto);
    FunctionObject* ctor = defineConstructor(vm, "XML", documentConstruct, documentProto, allocateDocument, 1);
    ctor->data = Value::object(nodeProto);
    const NativeMethod methods[] = {{"createElement", createElement, 1},
                                    {"createTextNode", createTextNode, 1},
                                    {"parseXML", parseXmlMethod, 1},
                                    {"onData", documentOnData, 1}};
    for (const NativeMethod& m : methods) defineNative(vm, documentProto, m.name, m.function, m.length)->data = Value::object(nodeProto);
    defineValue(vm, documentProto, "ignoreWhite", Value::boolean(false));
    defineValue(vm, documentProto, "contentType", Value::string(vm.name("application/x-www-form-urlencoded")));
    installDataLoading(vm, documentProto, "XML");
}

}  // namespace velmora::swf::script
