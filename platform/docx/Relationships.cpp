#include "platform/docx/Relationships.h"

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
    std::string joined;
    if (!target.empty() && target.front() == '/')
        joined = target.substr(1);
    else {
        const std::size_t slash = sourcePart.rfind('/');
        joined = (slash == std::string::npos ? std::string() : sourcePart.substr(0, slash + 1))
                 + std::string(target);
    }
    std::vector<std::string> segments;
    std::size_t i = 0;
    while (i <= joined.size()) {
        const std::size_t end = std::min(joined.find('/', i), joined.size());
        const std::string seg = joined.substr(i, end - i);
        if (seg == "..") {
            if (!segments.empty())
                segments.pop_back();
        } else if (!seg.empty() && seg != ".")
            segments.push_back(seg);
        i = end + 1;
    }
    std::string out;
    for (const auto& s : segments) {
        if (!out.empty())
            out += '/';
        out += s;
    }
    return out;
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
