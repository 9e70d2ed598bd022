#pragma once
// Several draw helpers started at once on one counter; the indices they were handed, all of them.

#include <QProcess>
#include <QStringList>
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <vector>

// Starts `processes` counter_draw_helper runs with helperArguments (store and counter; the number
// of draws is appended) and collects every index they print. A helper that fails fails the test.
inline std::multiset<int> drawConcurrently(int processes, int draws, const QStringList &helperArguments)
{
    std::vector<std::unique_ptr<QProcess>> helpers;
    for (int p = 0; p < processes; ++p) {
        helpers.push_back(std::make_unique<QProcess>());
        helpers.back()->start(DRAW_HELPER, helperArguments + QStringList{QString::number(draws)});
    }
    std::multiset<int> seen;
    for (auto &h : helpers) {
        EXPECT_TRUE(h->waitForFinished(-1));
        EXPECT_EQ(h->exitCode(), 0) << h->readAllStandardError().toStdString();
        for (const QByteArray &line : h->readAllStandardOutput().split('\n'))
            if (!line.isEmpty())
                seen.insert(line.toInt());
    }
    return seen;
}

// Every index from 0 to count - 1, once each: what the processes must have been handed together.
inline std::multiset<int> eachIndexOnce(int count)
{
    std::multiset<int> all;
    for (int i = 0; i < count; ++i)
        all.insert(i);
    return all;
}
