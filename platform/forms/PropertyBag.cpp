#include "platform/forms/PropertyBag.h"

#include <QJsonValue>

namespace forms {

PropertyBag PropertyBag::fromJson(const QJsonObject& object)
{
    PropertyBag bag;
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (!it->isObject() && !it->isArray())
            bag.m_items.append({it.key(), it->toVariant()});
    }
    return bag;
}

QVariant PropertyBag::ReadProperty(const QString& name, const QVariant& defaultValue) const
{
    const qsizetype i = find(name);
    return i < 0 ? defaultValue : m_items.at(i).second;
}

void PropertyBag::WriteProperty(const QString& name, const QVariant& value, const QVariant& defaultValue)
{
    const qsizetype i = find(name);
    if (value == defaultValue) {
        if (i >= 0)
            m_items.removeAt(i);
    } else if (i >= 0) {
        m_items[i].second = value;
    } else {
        m_items.append({name, value});
    }
}

QStringList PropertyBag::names() const
{
    QStringList out;
    for (const auto& item : m_items)
        out.append(item.first);
    return out;
}

QJsonObject PropertyBag::toJson() const
{
    QJsonObject out;
    for (const auto& item : m_items)
        out.insert(item.first, QJsonValue::fromVariant(item.second));
    return out;
}

qsizetype PropertyBag::find(const QString& name) const
{
    for (qsizetype i = 0; i < m_items.size(); ++i) {
        if (m_items.at(i).first.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

} // namespace forms
