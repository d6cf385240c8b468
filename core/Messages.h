#pragma once

// The system's own message texts, in program text (Windows-1252).

namespace tto::messages {

inline constexpr const char* kApplicationTitle = "TransTarvosOrdalis";
inline constexpr const char* kNoExisteArchivo = "No existe archivo";
inline constexpr const char* kProcesoFinalizado = "Proceso finalizado";
inline constexpr const char* kNoExisteArchivoXmlOSolucion = "No existe archivo XML o Soluci\xF3n.";
inline constexpr const char* kAbrirFicheroOrdalis =
    "Deber\xE1 Abrir el fichero XML de ORDALIS,\r\n"
    "desde el cual realiz\xF3 la Importaci\xF3n a Velmora";

}  // namespace tto::messages
