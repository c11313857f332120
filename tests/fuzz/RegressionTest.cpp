#include "fuzz/Targets.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <string>
#include <vector>

namespace {

using Target = void (*)(const uint8_t*, std::size_t);

const std::map<QString, Target> kTargets = {
    {"zip", fuzz::zip}, {"xml", fuzz::xml}, {"docx", fuzz::docx}, {"wildcards", fuzz::wildcards}, {"codepage", fuzz::codepage},
    {"save", fuzz::save},
};

struct Case {
    QString target, path;
};

std::vector<Case> cases()
{
    std::vector<Case> out;
    const QDir root(QStringLiteral(TARVELIN_FUZZ_REGRESSIONS));
    for (const QString& target : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        for (const QFileInfo& f : QDir(root.filePath(target)).entryInfoList(QDir::Files, QDir::Name))
            out.push_back({target, f.filePath()});
    return out;
}

void PrintTo(const Case& c, std::ostream* os)
{
    *os << (c.target + "/" + QFileInfo(c.path).fileName()).toStdString();
}

class FuzzRegression : public testing::TestWithParam<Case> {};

// A target aborts on a fault, which fails the test; returning is passing.
TEST_P(FuzzRegression, HandledAsItMustBe)
{
    const auto target = kTargets.find(GetParam().target);
    ASSERT_NE(target, kTargets.end()) << "no target " << GetParam().target.toStdString();
    QFile f(GetParam().path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    target->second(reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size()));
}

INSTANTIATE_TEST_SUITE_P(Kept, FuzzRegression, testing::ValuesIn(cases()), [](const auto& info) {
    std::string name = (info.param.target + "_" + QFileInfo(info.param.path).completeBaseName()).toStdString();
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
});

} // namespace
