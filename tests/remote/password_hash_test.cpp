// Password hashes: made by the system's slow hashes, salted, and checked so
// that only the very password matches.
#include "password_hash.h"

#include <gtest/gtest.h>

using namespace vantor;

TEST(PasswordHash, OnlyTheSamePasswordMatchesItsSaltedHash)
{
    QString error;
    const QByteArray hash = HashPassword("correct horse", &error);
    ASSERT_FALSE(hash.isEmpty()) << error.toStdString();
    EXPECT_TRUE(hash.startsWith("$y$") || hash.startsWith("$2b$")) << hash.toStdString();
    EXPECT_FALSE(hash.contains("correct"));
    EXPECT_TRUE(PasswordMatches("correct horse", hash));
    for (const char *wrong : {"correct hors", "correct horse ", "Correct horse", ""})
        EXPECT_FALSE(PasswordMatches(wrong, hash)) << wrong;
    EXPECT_NE(HashPassword("correct horse", &error), hash) << "each hash has its own salt";
}

TEST(PasswordHash, FastMalformedAndEmptyHashesMatchNothing)
{
    // The hashes of "secret" by MD5-crypt and DES crypt, and texts that are
    // no hash at all: none lets a password in.
    for (const char *hash :
         {"$1$abcdefgh$.Hl3mBJW8DUGn/Xx4A0.70", "abJnggxhB/yWI", "", "*", "$y$", "$2b$", "secret"})
        EXPECT_FALSE(PasswordMatches("secret", hash)) << hash;
    QString error;
    EXPECT_TRUE(HashPassword(QByteArray("pass\0word", 9), &error).isEmpty());
    EXPECT_FALSE(error.isEmpty());
}

TEST(PasswordHash, ConstantTimeEqualsComparesWholeStrings)
{
    EXPECT_TRUE(ConstantTimeEquals("abc", "abc"));
    EXPECT_TRUE(ConstantTimeEquals("", ""));
    EXPECT_FALSE(ConstantTimeEquals("abc", "abd"));
    EXPECT_FALSE(ConstantTimeEquals("abc", "ab"));
    EXPECT_FALSE(ConstantTimeEquals(QByteArray("a\0b", 3), QByteArray("a\0c", 3)));
}
