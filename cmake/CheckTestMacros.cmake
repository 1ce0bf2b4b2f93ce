# Fails when a test uses QTest's checking macros (QVERIFY, QCOMPARE, QTRY_...): under GoogleTest
# their failures go to QTest's log, which nobody reads, and the test passes.
# usage: cmake -DTESTS=DIR -P CheckTestMacros.cmake
file(GLOB_RECURSE sources ${TESTS}/*.cpp ${TESTS}/*.h)
set(found "")
foreach(source IN LISTS sources)
    file(STRINGS ${source} lines REGEX "(QTRY_[A-Z_]+|QVERIFY[A-Z0-9_]*|QCOMPARE[A-Z_]*)\\(")
    if(lines)
        list(APPEND found ${source})
    endif()
endforeach()
if(found)
    list(JOIN found "\n  " listed)
    message(FATAL_ERROR "QTest checks that cannot fail a GoogleTest test, in:\n  ${listed}\n"
                        "Use ASSERT_SOON / EXPECT_EQ_SOON from tests/support/QtWait.h.")
endif()
