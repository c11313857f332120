#include "platform/forms/StoredDesign.h"

#include "platform/forms/FormsError.h"
#include "platform/forms/Twips.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QWidget>

namespace forms {

StoredDesign StoredDesign::load(const QString& path)
{
    static const QString source = QStringLiteral("StoredDesign");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw formsError(FileNotFound, source);
    QJsonParseError parsed;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &parsed);
    if (parsed.error != QJsonParseError::NoError || !doc.isObject())
        throw formsError(InvalidFileFormat, source);
    return fromJson(doc.object());
}

StoredDesign StoredDesign::fromJson(const QJsonObject& object)
{
    StoredDesign design;
    design.m_form = PropertyBag::fromJson(object);
    const QJsonObject controls = object.value(QLatin1String("controls")).toObject();
    for (auto it = controls.begin(); it != controls.end(); ++it) {
        if (it->isArray()) {
            const QJsonArray elements = it->toArray();
            for (int i = 0; i < elements.size(); ++i)
                design.m_controls.insert(key(it.key(), i), PropertyBag::fromJson(elements.at(i).toObject()));
        } else {
            design.m_controls.insert(key(it.key(), -1), PropertyBag::fromJson(it->toObject()));
        }
    }
    return design;
}

bool StoredDesign::hasControl(const QString& name, int index) const
{
    return m_controls.contains(key(name, index));
}

const PropertyBag& StoredDesign::control(const QString& name, int index) const
{
    const auto it = m_controls.constFind(key(name, index));
    if (it == m_controls.cend())
        throw core::runtimeError(core::SubscriptOutOfRange, QStringLiteral("StoredDesign"));
    return *it;
}

QString StoredDesign::key(const QString& name, int index)
{
    const QString folded = name.toCaseFolded();
    return index < 0 ? folded : QStringLiteral("%1(%2)").arg(folded).arg(index);
}

void placeFromDesign(QWidget* widget, const PropertyBag& design)
{
    const auto twips = [&](const char* name, const char* extent) {
        const QVariant v = design.ReadProperty(QLatin1String(name));
        if (v.isValid() || !extent)
            return v.toInt();
        return himetricToTwips(design.ReadProperty(QLatin1String(extent), 0).toInt());
    };
    widget->setGeometry(twipsToPixels(QRect(twips("left", nullptr), twips("top", nullptr),
                                            twips("width", "_extentx"), twips("height", "_extenty"))));
}

} // namespace forms
