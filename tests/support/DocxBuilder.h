#pragma once

#include <QByteArray>
#include <QString>

#include <map>

// Builds .docx packages for tests from XML written as strings. The content types and the
// package relationships are derived from the parts added; everything else is up to the test.
class DocxBuilder {
public:
    // The WordprocessingML namespace declarations most fixture parts need, for use in a root tag.
    static const char* const kNamespaces;

    // Sets word/document.xml to a w:document whose w:body holds bodyXml.
    DocxBuilder& body(const QString& bodyXml);
    // Adds a part of the main document ("word/footnotes.xml", ...) holding the given root element.
    // Known parts get their relationship from the main document and their content type.
    DocxBuilder& part(const QString& name, const QString& xml);
    // Adds a relationship from the main document with an explicit id (headers, footers).
    DocxBuilder& relationship(const QString& id, const QString& type, const QString& target);
    // Adds an external relationship from the main document (hyperlink targets).
    DocxBuilder& externalRelationship(const QString& id, const QString& type, const QString& target);
    // Adds any file to the package as it is, with no content type or relationship.
    DocxBuilder& raw(const QString& name, const QByteArray& bytes);

    QByteArray bytes() const;                // the zipped package
    void save(const QString& path) const;    // writes bytes() to path; throws std::runtime_error

private:
    struct Rel { QString type, target; bool external = false; };
    std::map<QString, QByteArray> m_files;
    std::map<QString, Rel> m_rels;
};
