#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "swf/runtime/script/object.h"
#include "swf/runtime/script/value.h"

namespace velmora::swf::script {

class Vm;

// A node of an XML tree as scripts see it (XMLNode, and XML, which is the document node): an
// element (type 1) with a name, attributes and children, or a text node (type 3) with a value.
// The tree's links (parentNode, firstChild, childNodes, nextSibling, ...) are answered by the host
// hooks from the node's own lists, so that they can never disagree; scripts change the tree only
// through appendChild, insertBefore and removeNode, which keep it a tree (a node cannot become its
// own ancestor).
class XmlNode final : public Object {
public:
    enum Type { kElement = 1, kText = 3 };

    XmlNode(Object* proto, const char* className) : Object(proto, ObjectKind::Host), className_(className) {}

    int type = kElement;
    Value name;   // a string, or null (text nodes, the document)
    Value value;  // a string, or null (elements)
    XmlNode* parent = nullptr;
    std::vector<XmlNode*> children;
    Object* attributes = nullptr;  // made on first use

    const char* className() const override { return className_; }
    bool getSpecial(Vm& vm, String* key, Value& out) override;
    bool setSpecial(Vm& vm, String* key, const Value& value) override;
    void trace(Tracer& tracer) override;
    size_t extraBytes() const override { return children.capacity() * sizeof(XmlNode*) + Object::extraBytes(); }

    Object* attributesObject(Vm& vm);
    // Whether this node is `other` or lies inside it.
    bool isInside(const XmlNode* other) const;
    // Takes the node out of its parent's children.
    void detach();

private:
    const char* const className_;
};

// What parsing a text gave, as XML.status reports it: 0 when well formed, else the first fault.
enum XmlStatus {
    kXmlOk = 0,
    kXmlCdataUnterminated = -2,
    kXmlDeclarationUnterminated = -3,
    kXmlDoctypeUnterminated = -4,
    kXmlCommentUnterminated = -5,
    kXmlMalformedElement = -6,
    kXmlOutOfMemory = -7,
    kXmlAttributeUnterminated = -8,
    kXmlMissingEndTag = -9,
    kXmlMissingStartTag = -10,
};

// Deeper nesting than any lesson's data is refused as malformed (status -6).
constexpr size_t kMaxXmlDepth = 256;

// Replaces document's children with the nodes of `text`: elements, attributes, text and CDATA
// (both as text nodes), entities (&lt; &gt; &amp; &quot; &apos; and numeric ones) decoded.
// Comments are dropped; the <?...?> declarations go to xmlDecl and <!DOCTYPE ...> to docTypeDecl,
// as the document's properties. With ignoreWhite, text nodes of white space alone are dropped.
// What was read before a fault stays in the tree. Returns the status. Makes nodes with `nodeProto`.
int parseXml(Vm& vm, XmlNode& document, std::string_view text, bool ignoreWhite, Object* nodeProto);

// The node as XML text: elements as <name a="v">children</name>, or <name a="v" /> without
// children; text escaped (& < > " '). The document node gives its xmlDecl and docTypeDecl first,
// then its children.
std::string serializeXml(Vm& vm, XmlNode& node);

// A copy of the node, with copies of its descendants when deep; without a parent.
XmlNode* cloneXml(Vm& vm, XmlNode& node, bool deep);

}  // namespace velmora::swf::script
