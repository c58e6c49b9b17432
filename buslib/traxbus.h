/* Traxbus bus library: the twelve entry points, exported with C linkage.
 *
 * The program binds these at run time by name; it never links against the
 * library. Text crossing this interface is Windows-1252, one byte per
 * character. Every status is a signed number, negative meaning failure;
 * GetErrorMessageRet turns it into a German text.
 */
#ifndef TRAXBUS_H
#define TRAXBUS_H

#include <stdint.h>

#if defined(_WIN32)
#define TRAXBUS_CALL __stdcall
#if defined(TRAXBUS_BUILDING)
#define TRAXBUS_EXPORT __declspec(dllexport)
#else
#define TRAXBUS_EXPORT __declspec(dllimport)
#endif
#else
#define TRAXBUS_CALL
#define TRAXBUS_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Opens a port; baud is 4800, mode the converter code (0, 6 or 7; 66 is taken as 6). */
TRAXBUS_EXPORT int16_t TRAXBUS_CALL TBOpenCom(int16_t port, int32_t baud, int16_t mode);
TRAXBUS_EXPORT int16_t TRAXBUS_CALL TBCloseCom(void);
/* One exchange with the instrument at address; aux, value and integer are in/out operands. */
TRAXBUS_EXPORT int16_t TRAXBUS_CALL TBTransmit(int16_t address, int16_t command, int16_t* aux, double* value,
                                               int32_t* integer);
/* text: at least 256 bytes; receives a zero-terminated text. */
TRAXBUS_EXPORT int16_t TRAXBUS_CALL GetErrorMessageRet(int16_t status, char* text);
/* text: 256 bytes; negative result = family not known. */
TRAXBUS_EXPORT int8_t TRAXBUS_CALL GetType(int32_t identity, char* text);
/* code 0..199; text: 10 bytes, zeroed by the caller; " " or "?" = no unit. */
TRAXBUS_EXPORT int16_t TRAXBUS_CALL GetUnit(int16_t code, char* text);
/* Library version as hexadecimal digits: 0x0162 is V1.62. */
TRAXBUS_EXPORT uint16_t TRAXBUS_CALL GetVersionNumber(void);
/* command 1 reads the name: *length in = how many characters text takes (it needs one byte more
 * for the terminating zero), out = the name's length. command 2 writes the name: *length = its
 * number of bytes, at most 16. */
TRAXBUS_EXPORT int8_t TRAXBUS_CALL TBTransmitString(int16_t address, int16_t command, int16_t* aux,
                                                    char* text, int16_t* length);
/* ports: room for 256 port numbers. */
TRAXBUS_EXPORT int16_t TRAXBUS_CALL SearchForComPorts(int16_t* ports, int16_t* count);
TRAXBUS_EXPORT int16_t TRAXBUS_CALL TBReadID(int16_t address, int32_t* identity);
TRAXBUS_EXPORT int16_t TRAXBUS_CALL TBSysinit(void);
TRAXBUS_EXPORT int16_t TRAXBUS_CALL GetMeasurement(int16_t address, double* value);

typedef int16_t(TRAXBUS_CALL* TBOpenCom_t)(int16_t, int32_t, int16_t);
typedef int16_t(TRAXBUS_CALL* TBCloseCom_t)(void);
typedef int16_t(TRAXBUS_CALL* TBTransmit_t)(int16_t, int16_t, int16_t*, double*, int32_t*);
typedef int16_t(TRAXBUS_CALL* GetErrorMessageRet_t)(int16_t, char*);
typedef int8_t(TRAXBUS_CALL* GetType_t)(int32_t, char*);
typedef int16_t(TRAXBUS_CALL* GetUnit_t)(int16_t, char*);
typedef uint16_t(TRAXBUS_CALL* GetVersionNumber_t)(void);
typedef int8_t(TRAXBUS_CALL* TBTransmitString_t)(int16_t, int16_t, int16_t*, char*, int16_t*);
typedef int16_t(TRAXBUS_CALL* SearchForComPorts_t)(int16_t*, int16_t*);
typedef int16_t(TRAXBUS_CALL* TBReadID_t)(int16_t, int32_t*);
typedef int16_t(TRAXBUS_CALL* TBSysinit_t)(void);
typedef int16_t(TRAXBUS_CALL* GetMeasurement_t)(int16_t, double*);

#ifdef __cplusplus
}
#endif

#endif
