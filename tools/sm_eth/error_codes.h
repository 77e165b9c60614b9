// Codes that the program writes into field 4 of the error file. Codes that the
// scale itself answers are passed on as the scale gave them.
#pragma once

namespace krv::smeth {

enum ErrorCode : int {
    // A record of the input file failed a check; it was not sent.
    kRecordLength = 101,       // not exactly 1000 characters
    kRecordLineEnd = 102,      // not followed by CR LF
    kRecordOperation = 103,    // operation neither 0 (write) nor 1 (delete)
    kRecordDigits = 104,       // non-digit where the format has digits
    kRecordValue = 105,        // a flag or constant with a value the format does not allow
    kRecordControlChar = 106,  // a control character inside the record

    // The transfer to the scale broke off (line number 0).
    kScaleUnreachable = 201,  // no connection (refused, no route, closed before greeting)
    kScaleTimeout = 202,      // no answer within the time-out
    kScaleDropped = 203,      // the scale closed or broke the connection
    kScaleProtocol = 204,     // an answer the program does not understand

    // The set-up is unusable or the input is missing (line number 0).
    kSetupScale = 301,        // wagi.ini missing, or no address for the scale
    kSetupAddress = 302,      // the scale address cannot be read
    kInputMissing = 303,      // the input file cannot be read
    kInputEmpty = 304,        // the input file is empty
    kSetupCodepage = 305,     // an input code page other than Windows-1250
    kSetupCommandLine = 306,  // a malformed W=, I= or T= value
    kSetupLocal = 307,        // sm_eth.cfg beside the program has a bad value
    kDumpFailed = 308,        // the file of --dump cannot be written

    // DIGI protocol: faults of the connection are negative, so that they never
    // meet an answer byte of the scale (which is passed on as its value).
    kDigiUnreachable = -1,   // no connection (refused, no route, unknown host)
    kDigiTimeout = -2,       // no answer to a frame (after every try), or to the connection
    kDigiDropped = -3,       // the scale closed or broke the connection
    kDigiLackingChars = -4,  // a warning: characters the scale's code page lacks became '?'
};

}  // namespace krv::smeth
