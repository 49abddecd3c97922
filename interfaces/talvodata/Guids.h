#pragma once

#include "platform/com/Guid.h"

// Identifiers of the document model. They are stored inside practice and event files: never change one.
namespace talvodata {

using platform::com::makeGuid;

inline constexpr GUID LIBID_TALVODATA = makeGuid("E5649234-22A0-4E30-AE2D-A7F85911E570");

inline constexpr CLSID CLSID_TargetParams = makeGuid("BC5F298A-E465-4020-963D-4D0B97A51E45");
inline constexpr CLSID CLSID_EventParams = makeGuid("A7FA12A1-826D-42B3-BD65-2EE05EF5FCA9");
inline constexpr CLSID CLSID_EventManager = makeGuid("CB89CDBC-F788-40FA-A556-1157CD869DC0");
inline constexpr CLSID CLSID_TargetElement = makeGuid("7F7EFC63-0671-4130-96CC-DB8E244838C7");
inline constexpr CLSID CLSID_AimingAttr = makeGuid("FDD7387D-02E2-42CF-ABD6-42044C1C6B0E");
inline constexpr CLSID CLSID_AimingTrace = makeGuid("1D8B50D2-535E-4628-98D2-5FFBAA372180");
inline constexpr CLSID CLSID_Shot = makeGuid("6CAB9166-1AE3-412D-8B6C-882F354B5AA9");
inline constexpr CLSID CLSID_Aiming = makeGuid("DEC84614-513F-4698-B746-CEFF47EBA4B1");
inline constexpr CLSID CLSID_AimingCollection = makeGuid("ECE3E231-5D88-44FF-8140-7170ED0A8491");
inline constexpr CLSID CLSID_TalvoDocument = makeGuid("749C37E1-BCF1-4FEA-9F16-EC0C3F9D2F75");
inline constexpr CLSID CLSID_ShotCollection = makeGuid("85696E5C-432B-447B-81D1-866A327BEB05");
inline constexpr CLSID CLSID_Range = makeGuid("AA7C77E5-41E8-4772-8E86-D6B5293CC54A");
inline constexpr CLSID CLSID_RangeCollection = makeGuid("EAF56BA4-0773-4951-830F-ACB962AA9B55");

inline constexpr IID IID_ITargetParams = makeGuid("5248B293-734C-4286-B011-942CE7DF46B8");
inline constexpr IID IID_IEventParams = makeGuid("9CDBC2F1-5E63-465F-93D6-A23EA30E240D");
inline constexpr IID IID_IEventManager = makeGuid("21DD7F5D-F0C7-46CC-A75F-90646DA58249");
inline constexpr IID IID_ITargetElement = makeGuid("B87FF0A5-F6B5-4AC4-9DB5-4C228B512AC4");
inline constexpr IID IID_IAimingAttr = makeGuid("B9F9ACE6-7863-4E14-B4E6-60DE91F6A77D");
inline constexpr IID IID_IAimingTrace = makeGuid("9309535A-6445-4436-8FFD-9E08E03B7C9C");
inline constexpr IID IID_IShot = makeGuid("94CAD764-BE58-48B5-9D84-CB044925AD04");
inline constexpr IID IID_IAiming = makeGuid("BB9B96F5-DD5E-43D9-963A-596ABBAE4EC3");
inline constexpr IID IID_IAimingCollection = makeGuid("E0C81E3E-2556-4DF6-A21D-0CABC2BC2B46");
inline constexpr IID IID_ITalvoDocument = makeGuid("76DF6E8D-99D3-4D11-8D54-998BC89B655B");
inline constexpr IID IID_IShotCollection = makeGuid("574B8871-F803-4E57-BACE-D99E32EB9A9C");
inline constexpr IID IID_IRange = makeGuid("05AB0969-1320-4E14-AB28-A022B1CA5385");
inline constexpr IID IID_IRangeCollection = makeGuid("0588A2D5-8519-484E-A1C8-856B526E4A5B");
inline constexpr IID DIID__IAimingCollectionEvents = makeGuid("C2ED29A7-C505-4754-9B11-A4ADA34F6816");
inline constexpr IID DIID__ITalvoDocumentEvents = makeGuid("A4901E95-2F84-42C4-ADA0-D99C57F54E74");

} // namespace talvodata
