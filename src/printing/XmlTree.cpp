#include "printing/XmlTree.h"

#include <QByteArray>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include "text/Errors.h"

namespace veltor {

XmlNode *XmlNode::child(QStringView elementName) const
{
    for (const auto &c : children)
        if (c->isElement(elementName))
            return c.get();
    return nullptr;
}

QString XmlNode::attribute(QStringView attributeName, const QString &fallback) const
{
    for (const auto &[key, value] : attributes)
        if (key == attributeName)
            return value;
    return fallback;
}

void XmlNode::setAttribute(const QString &attributeName, const QString &value)
{
    for (auto &[key, old] : attributes)
        if (key == attributeName) {
            old = value;
            return;
        }
    attributes.emplace_back(attributeName, value);
}

XmlNode *XmlNode::insert(size_t at, std::unique_ptr<XmlNode> node)
{
    node->parent = this;
    XmlNode *raw = node.get();
    children.insert(children.begin() + static_cast<std::ptrdiff_t>(at), std::move(node));
    return raw;
}

size_t XmlNode::index() const
{
    for (size_t i = 0; parent != nullptr && i < parent->children.size(); ++i)
        if (parent->children[i].get() == this)
            return i;
    return 0;
}

std::unique_ptr<XmlNode> XmlNode::clone() const
{
    auto copy = std::make_unique<XmlNode>();
    copy->kind = kind;
    copy->name = name;
    copy->attributes = attributes;
    copy->text = text;
    for (const auto &c : children)
        copy->append(c->clone());
    return copy;
}

std::unique_ptr<XmlNode> XmlNode::element(const QString &elementName)
{
    auto node = std::make_unique<XmlNode>();
    node->name = elementName;
    return node;
}

std::unique_ptr<XmlNode> XmlNode::textNode(const QString &value)
{
    auto node = std::make_unique<XmlNode>();
    node->kind = Kind::Text;
    node->text = value;
    return node;
}

std::unique_ptr<XmlNode> readXml(std::string_view bytes, const std::string &name)
{
    QXmlStreamReader reader(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    reader.setNamespaceProcessing(false);
    auto document = std::make_unique<XmlNode>();
    XmlNode *current = document.get();
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement: {
            auto node = XmlNode::element(reader.qualifiedName().toString());
            for (const QXmlStreamAttribute &a : reader.attributes())
                node->attributes.emplace_back(a.qualifiedName().toString(), a.value().toString());
            current = current->append(std::move(node));
            break;
        }
        case QXmlStreamReader::EndElement:
            current = current->parent;
            break;
        case QXmlStreamReader::Characters: {
            // Text between elements (indentation) is kept too: writing changes no text.
            auto node = XmlNode::textNode(reader.text().toString());
            current->append(std::move(node));
            break;
        }
        case QXmlStreamReader::Comment: {
            auto node = XmlNode::textNode(reader.text().toString());
            node->kind = XmlNode::Kind::Comment;
            current->append(std::move(node));
            break;
        }
        case QXmlStreamReader::ProcessingInstruction: {
            auto node = XmlNode::textNode(reader.processingInstructionData().toString());
            node->kind = XmlNode::Kind::Instruction;
            node->name = reader.processingInstructionTarget().toString();
            current->append(std::move(node));
            break;
        }
        default:
            break;
        }
    }
    if (reader.hasError())
        throw DocumentError("Часть «" + name + "» документа повреждена: " + reader.errorString().toStdString()
                            + " (строка " + std::to_string(reader.lineNumber()) + ")");
    return document;
}

namespace {

void writeNode(QXmlStreamWriter &writer, const XmlNode &node)
{
    switch (node.kind) {
    case XmlNode::Kind::Element:
        if (node.children.empty())
            writer.writeEmptyElement(node.name);
        else
            writer.writeStartElement(node.name);
        for (const auto &[key, value] : node.attributes)
            writer.writeAttribute(key, value);
        for (const auto &c : node.children)
            writeNode(writer, *c);
        if (!node.children.empty())
            writer.writeEndElement();
        break;
    case XmlNode::Kind::Text:
        writer.writeCharacters(node.text);
        break;
    case XmlNode::Kind::Comment:
        writer.writeComment(node.text);
        break;
    case XmlNode::Kind::Instruction:
        writer.writeProcessingInstruction(node.name, node.text);
        break;
    }
}

} // namespace

std::string writeXml(const XmlNode &document)
{
    QByteArray bytes;
    QXmlStreamWriter writer(&bytes);
    writer.writeStartDocument(QStringLiteral("1.0"), true);
    for (const auto &c : document.children)
        if (c->kind != XmlNode::Kind::Instruction || c->name != QStringLiteral("xml"))
            writeNode(writer, *c);
    writer.writeEndDocument();
    return bytes.toStdString();
}

} // namespace veltor
