// SPDX-License-Identifier: GPL-3.0-or-later
#include "codepagechoice.h"

namespace codepages {

namespace {

constexpr SupportedCodePage fallback{437, "Code Page 437 LatinUS"};

constexpr SupportedCodePage supported[] = {
    fallback,
    {850, "Code Page 850 Latin1 Western European"},
    {852, "Code Page 852 Latin2 Central European"},
    {855, "Code Page 855 Cyrillic"},
    {857, "Code Page 857 Turkish"},
    {860, "Code Page 860 Portuguese"},
    {862, "Code Page 862 Hebrew"},
    {863, "Code Page 863 French Canadian"},
    {865, "Code Page 865 Nordic"},
    {866, "Code Page 866 Cyrillic"},
};

} // namespace

SupportedCodePage supportedCodePage(unsigned oemCodePage)
{
    for (const SupportedCodePage &codePage : supported) {
        if (codePage.number == oemCodePage)
            return codePage;
    }
    return fallback;
}

} // namespace codepages
