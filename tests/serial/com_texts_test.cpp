#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "serial/com_port.h"
#include "serial/int_text.h"

namespace {

// The text forms of members 0..last, joined by blanks.
template <typename E>
std::string Texts(std::string (*toText)(E), int last) {
  std::string joined;
  for (int i = 0; i <= last; ++i) joined += (i ? " " : "") + toText(static_cast<E>(i));
  return joined;
}

}  // namespace

TEST(ComTexts, TextFormsInOrdinalOrder) {
  EXPECT_EQ(Texts(BaudRateToText, br256000),
            "Custom 110 300 600 1200 2400 4800 9600 14400 19200 38400 56000 57600 115200 "
            "128000 256000");
  EXPECT_EQ(Texts(StopBitsToText, sbTwoStopBits), "1 1.5 2");
  EXPECT_EQ(Texts(DataBitsToText, dbEight), "5 6 7 8");
  EXPECT_EQ(Texts(ParityToText, prSpace), "None Odd Even Mark Space");
  EXPECT_EQ(Texts(FlowControlToText, fcCustom), "Hardware Software None Custom");
  EXPECT_EQ(Texts(DTRControlToText, dtrHandshake), "Disable Enable Handshake");
  EXPECT_EQ(Texts(RTSControlToText, rtsToggle), "Disable Enable Handshake Toggle");
  EXPECT_EQ((std::vector<int>{evRx80Full, smNone, sgMisc, msRLSD, ceOutputFull}),
            (std::vector<int>{9, 2, 5, 3, 7}));
}

TEST(ComTexts, TextToValueIgnoresCaseAndFallsBackWithoutMatch) {
  EXPECT_EQ(TextToBaudRate("custom"), brCustom);
  EXPECT_EQ(TextToBaudRate("9601"), br9600);
  EXPECT_EQ(TextToBaudRate(""), br9600);
  EXPECT_EQ(TextToParity("EVEN"), prEven);
  EXPECT_EQ(TextToParity("x"), prNone);
  EXPECT_EQ(TextToStopBits("3"), sbOneStopBit);
  EXPECT_EQ(TextToDataBits("9"), dbEight);
  EXPECT_EQ(TextToFlowControl(""), fcCustom);
  EXPECT_EQ(TextToFlowControl("software"), fcSoftware);
  EXPECT_EQ(TextToDTRControl("on"), dtrDisable);
  EXPECT_EQ(TextToRTSControl("TOGGLE"), rtsToggle);
  EXPECT_EQ(TextToRTSControl("off"), rtsDisable);
}

TEST(ComTexts, BoolsAndCharacters) {
  EXPECT_EQ(BoolToText(true), "Yes");
  EXPECT_EQ(BoolToText(false), "No");
  EXPECT_TRUE(TextToBool("yEs"));
  EXPECT_FALSE(TextToBool("Y"));
  EXPECT_FALSE(TextToBool("true"));

  std::string chars;
  for (int code : {0, 13, 17, 32, 33, 65, 127, 128, 255})
    chars += CharToText(static_cast<char>(code)) + " ";
  EXPECT_EQ(chars, "#0 #13 #17 #32 ! A \x7F #128 #255 ");

  EXPECT_EQ(TextToChar(""), 0);
  EXPECT_EQ(TextToChar("#17"), 17);
  EXPECT_EQ(TextToChar("#300"), 44);
  EXPECT_EQ(TextToChar("#x"), 0);
  EXPECT_EQ(TextToChar("#"), '#');
  EXPECT_EQ(TextToChar("Q"), 'Q');
  EXPECT_EQ(TextToChar("Qx"), 'Q');
  EXPECT_EQ(static_cast<unsigned char>(TextToChar("#200")), 200);
  for (int code = 0; code < 256; ++code)
    EXPECT_EQ(static_cast<unsigned char>(TextToChar(CharToText(static_cast<char>(code)))), code);
}

TEST(ComTexts, EventMasks) {
  EXPECT_EQ(EventsToMask(AllComEvents), 0x05FFu);
  EXPECT_EQ(EventsToMask({}), 0u);
  EXPECT_EQ(EventsToMask({evRxFlag, evError}), 0x0082u);
  EXPECT_EQ(MaskToEvents(0x0401), (TComEvents{evRxChar, evRx80Full}));
  EXPECT_EQ(MaskToEvents(0x0200 | 0x1000), TComEvents{});
  EXPECT_EQ(MaskToEvents(0xFFFFFFFF), AllComEvents);
}

TEST(ComTexts, PortNamesAreNormalised) {
  EXPECT_EQ(NormalizePortName("com3"), "COM3");
  EXPECT_EQ(NormalizePortName("5"), "COM5");
  EXPECT_EQ(NormalizePortName("COM16"), "COM16");
  EXPECT_EQ(NormalizePortName("COM $A"), "COM10");
  for (const char* bad : {"COM17", "COM0", "COMX", "LPT1", "", "COM", "COM-2", "COM2 "})
    EXPECT_EQ(NormalizePortName(bad), "COM1") << bad;
}

TEST(ComTexts, IntegerConversion) {
  EXPECT_EQ(TextToInt("  -12"), -12);
  EXPECT_EQ(TextToInt("$1F"), 31);
  EXPECT_EQ(TextToInt("0x10"), 16);
  EXPECT_EQ(TextToInt("-2147483648"), INT32_MIN);
  for (const char* bad : {"2147483648", "$FFFFFFFF", "12 ", "-", "$", "-$1"}) EXPECT_FALSE(TextToInt(bad));
}

TEST(ComErrors, MessagesAndSystemErrorSuffix) {
  std::string all;
  for (int code = 1; code <= 21; ++code) all += ComErrorMessage(code) + "|";
  EXPECT_EQ(all,
            "Unable to open com port|WriteFile function failed|ReadFile function failed|"
            "Invalid Async parameter|PurgeComm function failed|Unable to get async status|"
            "SetCommState function failed|SetCommTimeouts failed|SetupComm function failed|"
            "ClearCommError function failed|GetCommModemStatus function failed|"
            "EscapeCommFunction function failed|TransmitCommChar function failed|"
            "Cannot set SyncMethod while connected|EnumPorts function failed|"
            "Failed to store settings|Failed to load settings|Link (un)registration failed|"
            "Cannot change led state if ComPort is selected|"
            "Cannot wait for event if event thread is created|WaitForEvent method failed|");

  const EComPort open(ecOpenFailed, 2);
  EXPECT_STREQ(open.what(), "Unable to open com port (win error code: 2)");
  EXPECT_EQ(open.ErrorCode(), 1);
  EXPECT_EQ(open.SystemError(), 2);
  const EComPort sync(ecSyncMethodWhileOpen);
  EXPECT_STREQ(sync.what(), "Cannot set SyncMethod while connected");
  EXPECT_EQ(sync.SystemError(), -1);
  EXPECT_NE(std::string(EComPort(22).what()), "");
}
