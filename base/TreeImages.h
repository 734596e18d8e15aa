// The status tree's images: their indexes, and the program icon behind each, in the order of the image list. The
// image list is built from kTreeImageIcons, so an index and its picture cannot drift apart.
#pragma once

#include "res/resource.h"

enum TreeImage : int {
    IMG_PROGRAM = 0,
    IMG_GAME_WAITING = 1,
    IMG_GAME_RUNNING = 2,
    IMG_ADDRESS = 3,
    IMG_MAP = 4,
    IMG_TYPE = 5,
    IMG_ROOT_GAMES = 6,
    IMG_ROOT_WAITING = 7,
    IMG_IDLE_PLAYER = 8,
    IMG_STATUS = 9,
    IMG_ROOT_USERS = 10,
    IMG_USER_BASE = 11,  // a user's image is IMG_USER_BASE + its game window state
    IMG_USER_RUNNING = 12,
    IMG_USER_ACTIVE = 13,
    IMG_SIGN = 14,
    IMG_COUNT = 15,
};

constexpr int kTreeImageIcons[IMG_COUNT] = {
    IDR_MAINFRAME,     // IMG_PROGRAM
    IDI_GAME_WAITING,  // IMG_GAME_WAITING
    IDI_GAME_RUNNING,  // IMG_GAME_RUNNING
    IDI_ADDRESS,       // IMG_ADDRESS
    IDI_MAP,           // IMG_MAP
    IDI_TYPE,          // IMG_TYPE
    IDI_ROOT_GAMES,    // IMG_ROOT_GAMES
    IDI_ROOT_WAITING,  // IMG_ROOT_WAITING
    IDI_IDLE_PLAYER,   // IMG_IDLE_PLAYER
    IDI_STATUS,        // IMG_STATUS
    IDI_ROOT_USERS,    // IMG_ROOT_USERS
    IDI_USER_IDLE,     // IMG_USER_BASE
    IDI_USER_RUNNING,  // IMG_USER_RUNNING
    IDI_USER_ACTIVE,   // IMG_USER_ACTIVE
    IDI_SIGN,          // IMG_SIGN
};
static_assert(
    kTreeImageIcons[IMG_PROGRAM] == 128 && kTreeImageIcons[IMG_ROOT_USERS] == 153 &&
        kTreeImageIcons[IMG_USER_ACTIVE] == 181 && kTreeImageIcons[IMG_SIGN] == 180,
    "the image list's order: icons 128, 146, 150, 145, 143, 144, 149, 148, 147, 151, 153, 152, 154, 181, 180");
