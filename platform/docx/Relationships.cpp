#include "platform/docx/Relationships.h"

#include "platform/docx/PartName.h"
#include "platform/docx/XmlReader.h"
#include "platform/docx/ZipReader.h"

namespace docx {

namespace {

std::string relsPartFor(const std::string& sourcePart)
{
    const std::size_t slash = sourcePart.rfind('/');
    if (slash == std::string::npos)
        return "_rels/" + sourcePart + ".rels";
    return sourcePart.substr(0, slash + 1) + "_rels/" + sourcePart.substr(slash + 1) + ".rels";
}

} // namespace

std::string Relationships::resolve(const std::string& sourcePart, std::string_view target)
{
    if (!target.empty() && target.front() == '/')
        return normalPartName(target);
    const std::size_t slash = sourcePart.rfind('/');
    return normalPartName((slash == std::string::npos ? std::string() : sourcePart.substr(0, slash + 1)) + std::string(target));
}

Relationships Relationships::read(ZipReader& zip, const std::string& sourcePart, const QString& path)
{
    Relationships rels;
    const std::string name = sourcePart.empty() ? std::string("_rels/.rels") : relsPartFor(sourcePart);
    if (!zip.contains(name))
        return rels;
    XmlReader x(zip.read(name), name, path);
    if (!x.child(0))
        return rels;
    while (x.child(1)) {
        if (x.localName() != "Relationship")
            continue;
        Rel rel;
        rel.id = x.attr("Id").value_or(std::string_view());
        const std::string_view type = x.attr("Type").value_or(std::string_view());
        rel.type = type.substr(type.rfind('/') + 1);
        rel.external = x.attr("TargetMode") == "External";
        const std::string_view target = x.attr("Target").value_or(std::string_view());
        rel.target = rel.external ? std::string(target) : resolve(sourcePart, target);
        rels.m_rels.push_back(std::move(rel));
    }
    x.finish();
    return rels;
}

const Relationships::Rel* Relationships::byId(std::string_view id) const
{
    for (const auto& r : m_rels)
        if (r.id == id)
            return &r;
    return nullptr;
}

const Relationships::Rel* Relationships::firstOfType(std::string_view type) const
{
    for (const auto& r : m_rels)
        if (r.type == type && !r.external)
            return &r;
    return nullptr;
}

} // namespace docx
