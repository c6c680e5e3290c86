/* The plug-in's version texts, read both by the resource script (host/Vesko.rc) and by the
   code: the version reader's texts for libraries without a resource, and the vendor of the
   information block. Plain macros, since the resource compiler reads this file too. */
#pragma once

#define VESKO_COMPANY_NAME "Vesko developers <vesko@vesko.example>"
#define VESKO_FILE_DESCRIPTION "I can export mail(s) to Palm Device."
#define VESKO_FILE_VERSION "1.0.2.0"
#define VESKO_FILE_VERSION_NUMBERS 1, 0, 2, 0
#define VESKO_INTERNAL_NAME "Vesko"
#define VESKO_ORIGINAL_FILENAME "Vesko.dll"
#define VESKO_PRODUCT_NAME "Export Doc Format Vesko"
#define VESKO_PRODUCT_VERSION "1.0.2"
