#pragma once
// Checks inside a test helper. A helper that checks returns bool and is
// called as QVERIFY(helper(...)): these report a failed check as QVERIFY and
// QCOMPARE do, then make the helper return false, so that the test stops.
#include <QtTest>

#define VERIFICA2(condizione, messaggio)                                                                          \
    do {                                                                                                          \
        if (!QTest::qVerify(static_cast<bool>(condizione), #condizione, (messaggio), __FILE__, __LINE__))       \
            return false;                                                                                         \
    } while (false)

#define VERIFICA(condizione) VERIFICA2(condizione, "")

#define CONFRONTA(attuale, atteso)                                                                                \
    do {                                                                                                          \
        if (!QTest::qCompare(attuale, atteso, #attuale, #atteso, __FILE__, __LINE__))                            \
            return false;                                                                                         \
    } while (false)
