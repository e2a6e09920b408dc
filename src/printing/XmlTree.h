#pragma once
#include <QString>
#include <QStringView>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// A small element tree for editing the XML parts of a document: read with QXmlStreamReader,
// written with QXmlStreamWriter. Names are kept as written, prefixes included (namespaces are
// not resolved), so a part written back declares and names everything as it did.
namespace veltor {

struct XmlNode {
    enum class Kind { Element, Text, Comment, Instruction };

    Kind kind = Kind::Element;
    QString name;                                    // element name, or instruction target
    std::vector<std::pair<QString, QString>> attributes; // in document order, xmlns ones too
    QString text;                                    // text, comment or instruction data
    XmlNode *parent = nullptr;
    std::vector<std::unique_ptr<XmlNode>> children;

    bool isElement(QStringView elementName) const { return kind == Kind::Element && name == elementName; }
    // The first child element of that name, or nullptr.
    XmlNode *child(QStringView elementName) const;
    // The attribute's value; `fallback` when it is not there.
    QString attribute(QStringView attributeName, const QString &fallback = {}) const;
    void setAttribute(const QString &attributeName, const QString &value);

    // Inserts a node among the children at `index`; returns it.
    XmlNode *insert(size_t index, std::unique_ptr<XmlNode> node);
    XmlNode *append(std::unique_ptr<XmlNode> node) { return insert(children.size(), std::move(node)); }
    // This node's position among its parent's children.
    size_t index() const;
    // A deep copy, without a parent.
    std::unique_ptr<XmlNode> clone() const;

    static std::unique_ptr<XmlNode> element(const QString &elementName);
    static std::unique_ptr<XmlNode> textNode(const QString &value);
};

// The document node of UTF-8 XML bytes; its children are the top-level nodes. DocumentError
// naming `name` (UTF-8) when the bytes are not well-formed XML.
std::unique_ptr<XmlNode> readXml(std::string_view bytes, const std::string &name);
// The tree as UTF-8 XML with a standalone declaration, as Office writes its parts.
std::string writeXml(const XmlNode &document);

} // namespace veltor
