#pragma once
// Resource ids of the two speech libraries the executable carries (RCDATA).
#define LECTAVO_IDR_MSC 201
#define LECTAVO_IDR_SPEEX 202
