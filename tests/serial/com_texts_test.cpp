#include <gtest/gtest.h>

#include "serial/com_port.h"

TEST(ComTexts, EveryValueRoundTripsThroughItsText) {
  for (int i = 0; i <= br256000; ++i) {
    const auto v = static_cast<TBaudRate>(i);
    EXPECT_EQ(TextToBaudRate(BaudRateToText(v)), v) << i;
  }
  for (int i = 0; i <= sbTwoStopBits; ++i)
    EXPECT_EQ(TextToStopBits(StopBitsToText(static_cast<TStopBits>(i))), i);
  for (int i = 0; i <= dbEight; ++i)
    EXPECT_EQ(TextToDataBits(DataBitsToText(static_cast<TDataBits>(i))), i);
  for (int i = 0; i <= prSpace; ++i)
    EXPECT_EQ(TextToParity(ParityToText(static_cast<TParityBits>(i))), i);
  for (int i = 0; i <= fcCustom; ++i)
    EXPECT_EQ(TextToFlowControl(FlowControlToText(static_cast<TFlowControl>(i))), i);
  for (int i = 0; i <= dtrHandshake; ++i)
    EXPECT_EQ(TextToDTRControl(DTRControlToText(static_cast<TDTRFlowControl>(i))), i);
  for (int i = 0; i <= rtsToggle; ++i)
    EXPECT_EQ(TextToRTSControl(RTSControlToText(static_cast<TRTSFlowControl>(i))), i);
}

TEST(ComTexts, TextFormsAndOrdinals) {
  EXPECT_EQ(BaudRateToText(brCustom), "Custom");
  EXPECT_EQ(BaudRateToText(br256000), "256000");
  EXPECT_EQ(StopBitsToText(sbOne5StopBits), "1.5");
  EXPECT_EQ(DataBitsToText(dbFive), "5");
  EXPECT_EQ(ParityToText(prSpace), "Space");
  EXPECT_EQ(FlowControlToText(fcHardware), "Hardware");
  EXPECT_EQ(DTRControlToText(dtrHandshake), "Handshake");
  EXPECT_EQ(RTSControlToText(rtsToggle), "Toggle");
  EXPECT_EQ(br9600, 7);
  EXPECT_EQ(sbTwoStopBits, 2);
  EXPECT_EQ(dbEight, 3);
  EXPECT_EQ(prSpace, 4);
  EXPECT_EQ(fcNone, 2);
  EXPECT_EQ(rtsToggle, 3);
  EXPECT_EQ(evRx80Full, 9);
  EXPECT_EQ(smNone, 2);
  EXPECT_EQ(sgMisc, 5);
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

  EXPECT_EQ(CharToText(17), "#17");
  EXPECT_EQ(CharToText(13), "#13");
  EXPECT_EQ(CharToText(' '), "#32");
  EXPECT_EQ(CharToText('!'), "!");
  EXPECT_EQ(CharToText('A'), "A");
  EXPECT_EQ(CharToText(127), std::string(1, '\x7F'));
  EXPECT_EQ(CharToText(static_cast<char>(128)), "#128");
  EXPECT_EQ(CharToText(static_cast<char>(255)), "#255");

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
  EXPECT_EQ(ComTextToInt("  -12"), -12);
  EXPECT_EQ(ComTextToInt("+7"), 7);
  EXPECT_EQ(ComTextToInt("$1F"), 31);
  EXPECT_EQ(ComTextToInt("0x10"), 16);
  EXPECT_EQ(ComTextToInt("2147483647"), 2147483647);
  EXPECT_EQ(ComTextToInt("-2147483648"), INT32_MIN);
  EXPECT_FALSE(ComTextToInt("2147483648"));
  EXPECT_FALSE(ComTextToInt("12 "));
  EXPECT_FALSE(ComTextToInt("-"));
  EXPECT_FALSE(ComTextToInt("$"));
  EXPECT_FALSE(ComTextToInt("-$1"));
}

TEST(ComErrors, MessagesAndSystemErrorSuffix) {
  const EComPort open(ecOpenFailed, 2);
  EXPECT_STREQ(open.what(), "Unable to open com port (win error code: 2)");
  EXPECT_EQ(open.ErrorCode(), 1);
  EXPECT_EQ(open.SystemError(), 2);

  const EComPort sync(ecSyncMethodWhileOpen);
  EXPECT_STREQ(sync.what(), "Cannot set SyncMethod while connected");
  EXPECT_EQ(sync.SystemError(), -1);

  EXPECT_STREQ(EComPort(ecClearErrorFailed, 6).what(),
               "ClearCommError function failed (win error code: 6)");
  EXPECT_STREQ(EComPort(ecInvalidAsync).what(), "Invalid Async parameter");
  EXPECT_STREQ(EComPort(ecSetTimeoutsFailed).what(), "SetCommTimeouts failed");
  EXPECT_STREQ(EComPort(ecLedState).what(), "Cannot change led state if ComPort is selected");
  EXPECT_STREQ(EComPort(ecWaitForEventFailed).what(), "WaitForEvent method failed");
  EXPECT_STREQ(EComPort(ecLinkRegistration).what(), "Link (un)registration failed");
  EXPECT_NE(std::string(EComPort(0).what()), "");
  EXPECT_NE(std::string(EComPort(22).what()), "");
}
