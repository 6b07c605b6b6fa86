#include <gtest/gtest.h>

#include "RVLBase64.h"
#include "RVLCrypt.h"

namespace vimbrel {
namespace {

const QString kKey = QString::fromLatin1(rvlcrypt::kBuiltInKey);

TEST(RVLCrypt, EncryptionMatchesAes256CbcWithZeroIvAndPkcs7Padding) {
  // Reference values from the openssl command line with the same key and IV.
  EXPECT_EQ(rvlcrypt::aes256EncryptString(QStringLiteral("product_id=12345&api_key=x"), kKey),
            QStringLiteral("Qlj74odjuTJDonbq6VUfkD33mQ9zcCehEOYp+iOcdc4="));
  // A short key is zero-filled to 32 bytes.
  EXPECT_EQ(rvlcrypt::aes256EncryptString(QStringLiteral("hello"), QStringLiteral("abc")),
            QStringLiteral("3eluXfuqSzAFACIFlRm0EQ=="));
  // Characters past the 32nd do not count.
  EXPECT_EQ(rvlcrypt::aes256EncryptString(QStringLiteral("hello"), kKey + QStringLiteral("tail")),
            rvlcrypt::aes256EncryptString(QStringLiteral("hello"), kKey));
}

TEST(RVLCrypt, DecryptionKeepsPaddingBytes) {
  const QByteArray block(16, 'a');
  const auto cipher = rvlcrypt::aes256Encrypt(block, kKey);
  ASSERT_TRUE(cipher);
  EXPECT_EQ(cipher->size(), 32);
  const auto plain = rvlcrypt::aes256Decrypt(*cipher, kKey);
  ASSERT_TRUE(plain);
  EXPECT_EQ(*plain, block + QByteArray(16, '\x10'));
}

TEST(RVLCrypt, DecryptionRejectsPartialBlocks) {
  EXPECT_FALSE(rvlcrypt::aes256Decrypt(QByteArray(15, 'x'), kKey));
  EXPECT_FALSE(rvlcrypt::aes256Decrypt(QByteArray(33, 'x'), kKey));
  EXPECT_EQ(rvlcrypt::aes256Decrypt(QByteArray(), kKey), QByteArray());
  EXPECT_FALSE(rvlcrypt::aes256DecryptString(QStringLiteral("abc"), kKey));
}

TEST(RVLCrypt, StringDecryptionDropsEveryNulCharacter) {
  // Encrypt NUL-padded text without PKCS#7 by encrypting whole blocks and
  // cutting the padding block off, as the vendor does.
  const QByteArray plain = QByteArray("{\"a\":\0\"b\"}", 10) + QByteArray(6, '\0');
  const auto cipher = rvlcrypt::aes256Encrypt(plain, kKey);
  ASSERT_TRUE(cipher);
  const QString base64 = rvlbase64::encodingWithLineLength(cipher->left(16));
  EXPECT_EQ(rvlcrypt::aes256DecryptString(base64, kKey), QStringLiteral("{\"a\":\"b\"}"));
}

TEST(RVLCrypt, StringRoundTripKeepsUnicodeAndShowsPaddingOnlyAsControlBytes) {
  const QString text = QStringLiteral("k\u00e9y=v\u00e4lue&x=1");
  const auto cipher = rvlcrypt::aes256EncryptString(text, kKey);
  ASSERT_TRUE(cipher);
  const auto back = rvlcrypt::aes256DecryptString(*cipher, kKey);
  ASSERT_TRUE(back);
  EXPECT_TRUE(back->startsWith(text));
  for (QChar c : back->mid(text.size())) EXPECT_LT(c.unicode(), 17);
}

TEST(RVLCrypt, Digests) {
  EXPECT_EQ(rvlcrypt::md5Hex("abc"), QStringLiteral("900150983cd24fb0d6963f7d28e17f72"));
  EXPECT_EQ(rvlcrypt::sha256Hex("abc"),
            QStringLiteral("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"));
}

TEST(RVLBase64, LineBreaksComeAfterEvery64CharactersButNotAtTheEnd) {
  EXPECT_EQ(rvlbase64::encodedString(QByteArray(48, 'x')).size(), 64);
  const QString longer = rvlbase64::encodedString(QByteArray(49, 'x'));
  EXPECT_EQ(longer.size(), 64 + 2 + 4);
  EXPECT_EQ(longer.mid(64, 2), QStringLiteral("\r\n"));
  EXPECT_FALSE(rvlbase64::encodedString(QByteArray(96, 'x')).endsWith(QLatin1Char('\n')));
  EXPECT_EQ(rvlbase64::encodedString(QByteArray(49, 'x'), false).size(), 68);
  EXPECT_EQ(rvlbase64::encodingWithLineLength(QByteArray(49, 'x')).size(), 68);
  EXPECT_EQ(rvlbase64::encodingWithLineLength("abcdef", 4), QStringLiteral("YWJj\r\nZGVm"));
  EXPECT_EQ(rvlbase64::encodingWithLineLength("ab"), QStringLiteral("YWI="));
  EXPECT_EQ(rvlbase64::encodingWithLineLength("a"), QStringLiteral("YQ=="));
  EXPECT_EQ(rvlbase64::encodingWithLineLength(""), QString());
}

TEST(RVLBase64, DecoderASkipsForeignCharactersAndStopsAtThePadding) {
  EXPECT_EQ(rvlbase64::decodeA(QStringLiteral("YW Jj\r\nZG\tVm")), QByteArray("abcdef"));
  EXPECT_EQ(rvlbase64::decodeA(QStringLiteral("YWI=YWJj")), QByteArray("ab"));
  EXPECT_EQ(rvlbase64::decodeA(QStringLiteral("YQ==")), QByteArray("a"));
  // A lone character before the padding still gives one byte.
  EXPECT_EQ(rvlbase64::decodeA(QStringLiteral("YWJjY=")).size(), 4);
  EXPECT_EQ(rvlbase64::decodeA(QStringLiteral("=YWJj")), QByteArray());
}

TEST(RVLBase64, DecoderBSkipsPaddingAndKeepsGoing) {
  EXPECT_EQ(rvlbase64::decodeB(QStringLiteral("YWJj\r\nZGVm")), QByteArray("abcdef"));
  EXPECT_EQ(rvlbase64::decodeB(QStringLiteral("YWI=")), QByteArray("ab"));
  // "=" does not end the input here, unlike decoder A.
  EXPECT_EQ(rvlbase64::decodeB(QStringLiteral("YQ==YWJj")).size(), 4);
  // A lone trailing character gives nothing.
  EXPECT_EQ(rvlbase64::decodeB(QStringLiteral("YWJjY")), QByteArray("abc"));
  const QByteArray all = [] {
    QByteArray bytes;
    for (int i = 0; i < 256; ++i) bytes += char(i);
    return bytes;
  }();
  EXPECT_EQ(rvlbase64::decodeB(rvlbase64::encodedString(all)), all);
  EXPECT_EQ(rvlbase64::decodeA(rvlbase64::encodedString(all)), all);
}

TEST(RVLBase64, PrefixAndSuffixBytes) {
  EXPECT_TRUE(rvlbase64::hasPrefixBytes("abcdef", "abc"));
  EXPECT_FALSE(rvlbase64::hasPrefixBytes("ab", "abc"));
  EXPECT_TRUE(rvlbase64::hasSuffixBytes("abcdef", "def"));
  EXPECT_FALSE(rvlbase64::hasSuffixBytes("abcdef", "abc"));
}

}  // namespace
}  // namespace vimbrel
