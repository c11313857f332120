#pragma once

#include <QString>

// A person's record: personal name, handle name, home page and e-mail address, each empty
// until set. No checks.
class clsCOMPerson {
public:
    void setName(QString strName) { m_strName = std::move(strName); }
    QString name() const { return m_strName; }
    void setHN(QString strHN) { m_strHN = std::move(strHN); }
    QString HN() const { return m_strHN; }
    void setHPAddress(QString strHPAddress) { m_strHPAddress = std::move(strHPAddress); }
    QString HPAddress() const { return m_strHPAddress; }
    void setEmailAddress(QString strEmailAddress) { m_strEmailAddress = std::move(strEmailAddress); }
    QString EmailAddress() const { return m_strEmailAddress; }

private:
    QString m_strName;
    QString m_strHN;
    QString m_strHPAddress;
    QString m_strEmailAddress;
};
