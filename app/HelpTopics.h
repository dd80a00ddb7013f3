// SPDX-License-Identifier: GPL-3.0-or-later
// Help topic numbers: every window's topic is 0x20000 plus the number of its
// dialog template, so that the help file can be written against the templates.
#pragma once

constexpr unsigned long kHelpTopicBase = 0x20000;

constexpr unsigned long HelpTopicOfTemplate(int templateId) {
    return kHelpTopicBase + static_cast<unsigned long>(templateId);
}

constexpr unsigned long kHelpAboutBox = HelpTopicOfTemplate(100);       // 0x20064
constexpr unsigned long kHelpMainWindow = HelpTopicOfTemplate(102);     // 0x20066
constexpr unsigned long kHelpConnect = HelpTopicOfTemplate(130);        // 0x20082
constexpr unsigned long kHelpPlaylist = HelpTopicOfTemplate(134);       // 0x20086
constexpr unsigned long kHelpInitialize = HelpTopicOfTemplate(142);     // 0x2008E
constexpr unsigned long kHelpFolderSelect = HelpTopicOfTemplate(143);   // 0x2008F
constexpr unsigned long kHelpOptions = HelpTopicOfTemplate(284);        // 0x2011C

// Every window's topic, as the user guide must anchor them.
struct HelpTopic {
    unsigned long context;
    const char* window;
};
constexpr HelpTopic kHelpTopics[] = {
    {kHelpAboutBox, "About box"},
    {kHelpMainWindow, "main window"},
    {kHelpConnect, "connect window"},
    {kHelpPlaylist, "playlist window"},
    {kHelpInitialize, "initialize dialog"},
    {kHelpFolderSelect, "folder selection dialog"},
    {kHelpOptions, "transfer speed options"},
};
