#pragma once

#include <QString>

#include <string>
#include <string_view>
#include <vector>

namespace docx {

class ZipReader;

// One part's relationships (its _rels/<name>.rels), with internal targets resolved to part names.
class Relationships {
public:
    struct Rel {
        std::string id;
        std::string type;    // last segment of the type URI: transitional and strict read alike
        std::string target;  // part name without a leading '/', or the raw URI when external
        bool external = false;
    };

    // The relationships of sourcePart ("" for the package); none when the .rels part is absent.
    // Throws the load error for a damaged .rels part.
    static Relationships read(ZipReader& zip, const std::string& sourcePart, const QString& path);
    // A relative target resolved against the source part's folder.
    static std::string resolve(const std::string& sourcePart, std::string_view target);

    const Rel* byId(std::string_view id) const;
    const Rel* firstOfType(std::string_view type) const;
    const std::vector<Rel>& all() const { return m_rels; }

private:
    std::vector<Rel> m_rels;
};

} // namespace docx
