// The messages are the user's and the session record's: they must read exactly so.
#include "tidewell/updatelist/ErrorCodes.h"

#include <gtest/gtest.h>

using namespace qv;

TEST(ErrorCodes, EveryCodeHasItsMessage) {
    const std::string list =
        "An error occurred while Tidewell was contacting the update server to download the Quorvane update list. "
        "Please verify that you are able to connect to the internet and run Tidewell again. Error (ERTD-";
    const std::string server =
        "An error occurred while Tidewell was contacting the update server. Please verify that you are able to "
        "connect to the internet and run Tidewell again. Error (ERTD-";
    const std::string download =
        "An error occurred while Tidewell was downloading the latest updates from the update server. Please verify "
        "that you are able to connect to the internet and run Tidewell again. If the error persists please contact "
        "us immediately. Error (ERTD-";
    const std::string install =
        "An error occurred while Tidewell was trying to install the latest updates on your computer. Please verify "
        "that disk is not full and that you have full access to Quorvane folder. Error (ERTD-";
    struct Case {
        TErtd code;
        std::string text;
    } cases[] = {
        {TErtd::E501, list + "501)"},       {TErtd::E537, list + "537)"},       {TErtd::E655, server + "655)"},
        {TErtd::E671, server + "671)"},     {TErtd::E683, server + "683)"},     {TErtd::E813, server + "813)"},
        {TErtd::E865, download + "865)"},   {TErtd::E886, download + "886)"},   {TErtd::E898, install + "898)"},
        {TErtd::E1153, install + "1153)"},  {TErtd::E1171, install + "1171)"},  {TErtd::E1181, install + "1181)"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.text, ErtdMessage(c.code));
    EXPECT_EQ("Quorvane Help could not be closed. Please close it and restart Tidewell. Error (ERTD-835)",
              ErtdMessage(TErtd::E835, "Quorvane Help"));
}
