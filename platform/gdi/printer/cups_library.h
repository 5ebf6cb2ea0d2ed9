// The CUPS client library, loaded on the first use of a printer. Linked at start-up it and the
// libraries it pulls in (TLS, Kerberos, D-Bus, ...) cost every run of the program several
// megabytes, though only printing needs them.
#pragma once

#include <cups/cups.h>

struct CupsLibrary {
  decltype(&cupsGetDests2) getDests2;
  decltype(&cupsFreeDests) freeDests;
  decltype(&cupsCopyDestInfo) copyDestInfo;
  decltype(&cupsFreeDestInfo) freeDestInfo;
  decltype(&cupsGetDestMediaDefault) getDestMediaDefault;
  decltype(&cupsFindDestDefault) findDestDefault;
  decltype(&::ippGetResolution) getResolution;
  decltype(&cupsCreateJob) createJob;
  decltype(&cupsStartDocument) startDocument;
  decltype(&cupsWriteRequestData) writeRequestData;
  decltype(&cupsFinishDocument) finishDocument;
  decltype(&cupsCancelJob2) cancelJob2;
};

// Nothing when the library or one of its functions cannot be found: then there are no printers.
const CupsLibrary* Cups();
