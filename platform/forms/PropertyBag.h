#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QVariant>

namespace forms {

// The stored design properties of one control: names matched without regard to case, and a
// value equal to its default never stored.
class PropertyBag {
public:
    PropertyBag() = default;
    // A bag holding the object's members; nested objects and arrays are left out.
    static PropertyBag fromJson(const QJsonObject& object);

    // The stored value, or defaultValue when the name is absent.
    QVariant ReadProperty(const QString& name, const QVariant& defaultValue = {}) const;
    // Stores value under name, or removes the name when value equals defaultValue.
    void WriteProperty(const QString& name, const QVariant& value, const QVariant& defaultValue = {});

    bool contains(const QString& name) const { return find(name) >= 0; }
    bool isEmpty() const { return m_items.isEmpty(); }
    // Stored names in the order they were first written.
    QStringList names() const;
    QJsonObject toJson() const;

private:
    qsizetype find(const QString& name) const;

    QList<std::pair<QString, QVariant>> m_items;
};

} // namespace forms
