// The start page over a bare main window, with a history and, when VELMORA_SERVICE_URL is set,
// a logged-in user whose head image and recommended programs come from that service.
#pragma once

int ShowStartPage();
