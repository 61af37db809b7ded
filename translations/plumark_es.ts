<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es_ES">
<context>
    <name>Conversion</name>
    <message>
        <source>a folder</source>
        <translation>una carpeta</translation>
    </message>
    <message>
        <source>a named pipe (FIFO)</source>
        <translation>una tubería con nombre (FIFO)</translation>
    </message>
    <message>
        <source>a socket</source>
        <translation>un socket</translation>
    </message>
    <message>
        <source>a device</source>
        <translation>un dispositivo</translation>
    </message>
    <message>
        <source>something else</source>
        <translation>otra cosa</translation>
    </message>
    <message>
        <source>Folder does not exist. Please select another folder.</source>
        <translation>La carpeta no existe. Seleccione otra carpeta.</translation>
    </message>
    <message>
        <source>The file does not exist.</source>
        <translation>El archivo no existe.</translation>
    </message>
    <message>
        <source>The file cannot be read: %1.</source>
        <translation>No se puede leer el archivo: %1.</translation>
    </message>
    <message>
        <source>This is %1, not a regular file.</source>
        <translation>Se trata de %1, no de un archivo normal.</translation>
    </message>
    <message>
        <source>The result would replace the input file.</source>
        <translation>El resultado reemplazaría el archivo de entrada.</translation>
    </message>
    <message>
        <source>file not found</source>
        <translation>archivo no encontrado</translation>
    </message>
    <message>
        <source>permission denied</source>
        <translation>permiso denegado</translation>
    </message>
    <message>
        <source>error %1</source>
        <translation>error %1</translation>
    </message>
    <message>
        <source>The converter could not be started (%1).</source>
        <translation>No se pudo iniciar el conversor (%1).</translation>
    </message>
    <message>
        <source>The converter failed with exit code %1.</source>
        <translation>El conversor falló con el código de salida %1.</translation>
    </message>
    <message>
        <source>The converter wrote no output file.</source>
        <translation>El conversor no escribió ningún archivo de salida.</translation>
    </message>
    <message>
        <source>The converter wrote an empty file.</source>
        <translation>El conversor escribió un archivo vacío.</translation>
    </message>
    <message>
        <source>Done.</source>
        <translation>Listo.</translation>
    </message>
    <message>
        <source>1 file could not be converted:</source>
        <translation>No se pudo convertir 1 archivo:</translation>
    </message>
    <message>
        <source>%1 files could not be converted:</source>
        <translation>No se pudieron convertir %1 archivos:</translation>
    </message>
    <message>
        <source>No files added.</source>
        <translation>No se ha añadido ningún archivo.</translation>
    </message>
    <message>
        <source>Processing: </source>
        <translation>Procesando: </translation>
    </message>
    <message>
        <source>Progress Bar</source>
        <translation>Barra de progreso</translation>
    </message>
    <message>
        <source>The result would replace the listed file &quot;%1&quot;.</source>
        <translation>El resultado reemplazaría el archivo «%1» de la lista.</translation>
    </message>
    <message>
        <source>The result would replace the result of &quot;%1&quot;.</source>
        <translation>El resultado reemplazaría el resultado de «%1».</translation>
    </message>
    <message>
        <source>Please wait.. </source>
        <translation>espere… </translation>
    </message>
    <message>
        <source>Converted: %1
Not converted: %2</source>
        <translation>Convertidos: %1
No convertidos: %2</translation>
    </message>
    <message>
        <source>The input is not an audio file but %1.</source>
        <translation>La entrada no es un archivo de audio, sino %1.</translation>
    </message>
    <message>
        <source>This is no recording but a file of the system&apos;s %1 file system, which may be read without end. Only files kept on a disk are converted.</source>
        <translation>Esto no es una grabación sino un archivo del sistema de archivos %1 del sistema, que podría leerse sin fin. Solo se convierten archivos guardados en un disco.</translation>
    </message>
</context>
<context>
    <name>ErrorReport</name>
    <message>
        <source>at line </source>
        <translation>en la línea </translation>
    </message>
    <message>
        <source>Please email screenshot of this message to </source>
        <translation>Envíe una captura de pantalla de este mensaje a </translation>
    </message>
    <message>
        <source>Application Error</source>
        <translation>Error de la aplicación</translation>
    </message>
</context>
<context>
    <name>Failure</name>
    <message>
        <source>Invalid procedure call or argument</source>
        <translation>Llamada a procedimiento o argumento no válido</translation>
    </message>
    <message>
        <source>Could not delete &quot;%1&quot;: %2</source>
        <translation>No se pudo eliminar «%1»: %2</translation>
    </message>
    <message>
        <source>The probe &quot;%1&quot; was not found. Install the Debian package &quot;%2&quot;.</source>
        <translation>No se encontró el analizador «%1». Instale el paquete de Debian «%2».</translation>
    </message>
    <message>
        <source>The converter &quot;%1&quot; was not found. Install the Debian package &quot;%2&quot;.</source>
        <translation>No se encontró el conversor «%1». Instale el paquete de Debian «%2».</translation>
    </message>
    <message>
        <source>The tool &quot;%1&quot; could not be read: %2</source>
        <translation>No se pudo leer la herramienta «%1»: %2</translation>
    </message>
    <message>
        <source>The tool file &quot;%1&quot; could not be written: %2</source>
        <translation>No se pudo escribir el archivo de herramienta «%1»: %2</translation>
    </message>
    <message>
        <source>The tools folder could not be made in &quot;%1&quot;: %2</source>
        <translation>No se pudo crear la carpeta de herramientas en «%1»: %2</translation>
    </message>
    <message>
        <source>The settings file &quot;%1&quot; could not be written</source>
        <translation>No se pudo escribir el archivo de configuración «%1»</translation>
    </message>
    <message>
        <source>Type mismatch</source>
        <translation>No coinciden los tipos</translation>
    </message>
    <message>
        <source>Overflow</source>
        <translation>Desbordamiento</translation>
    </message>
    <message>
        <source>Invalid procedure call or argument: no desktop folder</source>
        <translation>Llamada a procedimiento o argumento no válido: no hay carpeta de escritorio</translation>
    </message>
</context>
<context>
    <name>FileList</name>
    <message>
        <source>Add File(s) - Hold Ctrl to select multiple files</source>
        <translation>Añadir archivo(s) – Mantenga pulsado Ctrl para seleccionar varios</translation>
    </message>
    <message>
        <source>M4A File (*.m4a)</source>
        <translation>Archivo M4A (*.m4a)</translation>
    </message>
    <message>
        <source>You&apos;ve selected too many files to add.</source>
        <translation>Ha seleccionado demasiados archivos para añadir.</translation>
    </message>
    <message>
        <source>Please try adding via the &quot;Add All&quot; button.</source>
        <translation>Pruebe a añadirlos con el botón «Añadir M4A de una carpeta».</translation>
    </message>
    <message>
        <source>Enter file extension to load:</source>
        <translation>Introduzca la extensión de los archivos a cargar:</translation>
    </message>
    <message>
        <source>(* for all files, txt for all txt files, doc for all doc files, etc.)</source>
        <translation>(* para todos los archivos, txt para todos los archivos txt, doc para todos los archivos doc, etc.)</translation>
    </message>
    <message>
        <source>Please select folder:</source>
        <translation>Seleccione una carpeta:</translation>
    </message>
</context>
<context>
    <name>Options</name>
    <message>
        <source>Please select folder:</source>
        <translation>Seleccione una carpeta:</translation>
    </message>
</context>
<context>
    <name>Samples</name>
    <message>
        <source>Would you like this software to open the folder where these sample files are stored (so that you can view them before working with them)?</source>
        <translation>¿Desea que este programa abra la carpeta donde se guardan estos archivos de ejemplo (para que pueda verlos antes de trabajar con ellos)?</translation>
    </message>
</context>
<context>
    <name>StartUp</name>
    <message>
        <source>M4A File(s)</source>
        <translation>Archivo(s) M4A</translation>
    </message>
</context>
<context>
    <name>plumark::Form1</name>
    <message>
        <source>Drag and drop files here. Double-click item to remove it. Move | line to right and out of window to reveal full names.</source>
        <translation>Arrastre y suelte archivos aquí. Haga doble clic en un elemento para quitarlo. Mueva la línea | a la derecha y fuera de la ventana para ver los nombres completos.</translation>
    </message>
    <message>
        <source>M4A files</source>
        <translation>Archivos M4A</translation>
    </message>
    <message>
        <source>Add M4A File(s)</source>
        <translation>Añadir archivo(s) M4A</translation>
    </message>
    <message>
        <source>Add All M4A File(s) In Folder</source>
        <translation>Añadir M4A de una carpeta</translation>
    </message>
    <message>
        <source>Clear List</source>
        <translation>Vaciar lista</translation>
    </message>
    <message>
        <source>Load Sample/Example Files</source>
        <translation>Cargar archivos de ejemplo</translation>
    </message>
    <message>
        <source>Bit Rate Of Output File</source>
        <translation>Tasa de bits del archivo de salida</translation>
    </message>
    <message>
        <source>Use same bit rate as input file (most efficient)</source>
        <translation>Misma tasa de bits que la entrada (más eficiente)</translation>
    </message>
    <message>
        <source>Use this constant bit rate for all files:</source>
        <translation>Tasa fija para todos los archivos:</translation>
    </message>
    <message>
        <source>Save Option</source>
        <translation>Opción de guardado</translation>
    </message>
    <message>
        <source>Save results to this folder:</source>
        <translation>Guardar en esta carpeta:</translation>
    </message>
    <message>
        <source>Output folder</source>
        <translation>Carpeta de salida</translation>
    </message>
    <message>
        <source>Choose the output folder</source>
        <translation>Elegir la carpeta de salida</translation>
    </message>
    <message>
        <source>Save results in folder of original file</source>
        <translation>Guardar junto al archivo original</translation>
    </message>
    <message>
        <source>Start Converting</source>
        <translation>Iniciar conversión</translation>
    </message>
    <message>
        <source>Progress</source>
        <translation>Progreso</translation>
    </message>
    <message>
        <source>Invalid property value: &quot;%1&quot; is not a rate entry</source>
        <translation>Valor de propiedad no válido: «%1» no es una tasa de la lista</translation>
    </message>
    <message>
        <source>Invalid picture: &quot;%1&quot;</source>
        <translation>Imagen no válida: «%1»</translation>
    </message>
    <message>
        <source>The skin &quot;%1&quot; could not be read: %2</source>
        <translation>No se pudo leer el tema «%1»: %2</translation>
    </message>
    <message>
        <source>The skin &quot;%1&quot; is not a style sheet that Qt can parse</source>
        <translation>El tema «%1» no es una hoja de estilo que Qt pueda leer</translation>
    </message>
</context>
</TS>
