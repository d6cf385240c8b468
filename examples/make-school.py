#!/usr/bin/env python3
"""Writes examples/centro.xml, the example school file: the export a Spanish secondary
school (IES) makes from Ordalis for Velmora, with its departments and teachers, rooms,
teachings, groups with their weekly subject loads, the weekly sessions and the activity
types for teachers' tasks.

The output is deterministic: the same script always writes the same bytes.

    python3 examples/make-school.py [OUTPUT]    (default: centro.xml beside this script)
"""

import os
import sys
from xml.sax.saxutils import quoteattr

SCHOOL = {
    "Codigo": "41702345",
    "Nombre": "IES Almenara del Valle",
    "CursoEscolar": "2026/2027",
    "Version": "3.2",
}

# Departments, and the subjects each one teaches (for the staff size).
DEPARTMENTS = [
    ("MAT", "Matemáticas"),
    ("LCL", "Lengua Castellana y Literatura"),
    ("ING", "Inglés"),
    ("FRA", "Francés"),
    ("GEH", "Geografía e Historia"),
    ("FYQ", "Física y Química"),
    ("BYG", "Biología y Geología"),
    ("EFI", "Educación Física"),
    ("TEC", "Tecnología"),
    ("MUS", "Música"),
    ("DIB", "Dibujo y Educación Plástica"),
    ("FIL", "Filosofía"),
]

# Subjects: school code, name, department.
SUBJECTS = [
    ("MAT", "Matemáticas", "MAT"),
    ("MATA", "Matemáticas A", "MAT"),
    ("MATB", "Matemáticas B", "MAT"),
    ("RMAT", "Refuerzo de Matemáticas", "MAT"),
    ("AMAT", "Ampliación de Matemáticas", "MAT"),
    ("MAT1", "Matemáticas I", "MAT"),
    ("MAT2", "Matemáticas II", "MAT"),
    ("MATCCSS1", "Matemáticas Aplicadas a las Ciencias Sociales I", "MAT"),
    ("MATCCSS2", "Matemáticas Aplicadas a las Ciencias Sociales II", "MAT"),
    ("LCL", "Lengua Castellana y Literatura", "LCL"),
    ("LCL1", "Lengua Castellana y Literatura I", "LCL"),
    ("LCL2", "Lengua Castellana y Literatura II", "LCL"),
    ("RLEN", "Refuerzo de Lengua Castellana", "LCL"),
    ("TLIT", "Taller de Literatura", "LCL"),
    ("LUN", "Literatura Universal", "LCL"),
    ("ING", "Primera Lengua Extranjera: Inglés", "ING"),
    ("ING1", "Primera Lengua Extranjera: Inglés I", "ING"),
    ("ING2", "Primera Lengua Extranjera: Inglés II", "ING"),
    ("ORAL", "Expresión Oral en Inglés", "ING"),
    ("FRA", "Segunda Lengua Extranjera: Francés", "FRA"),
    ("FRA1", "Segunda Lengua Extranjera: Francés I", "FRA"),
    ("FRA2", "Segunda Lengua Extranjera: Francés II", "FRA"),
    ("GEH", "Geografía e Historia", "GEH"),
    ("HES", "Historia de España", "GEH"),
    ("HMC", "Historia del Mundo Contemporáneo", "GEH"),
    ("HAR", "Historia del Arte", "GEH"),
    ("GEO", "Geografía", "GEH"),
    ("FYQ", "Física y Química", "FYQ"),
    ("FIS", "Física", "FYQ"),
    ("QUI", "Química", "FYQ"),
    ("LFYQ", "Prácticas de Física y Química", "FYQ"),
    ("BIOGEO", "Biología y Geología", "BYG"),
    ("BGCA", "Biología, Geología y Ciencias Ambientales", "BYG"),
    ("BIO", "Biología", "BYG"),
    ("EF", "Educación Física", "EFI"),
    ("TEC", "Tecnología", "TEC"),
    ("TYD", "Tecnología y Digitalización", "TEC"),
    ("TIC1", "Tecnologías de la Información y la Comunicación I", "TEC"),
    ("MUS", "Música", "MUS"),
    ("EPVA", "Educación Plástica, Visual y Audiovisual", "DIB"),
    ("DIBTEC1", "Dibujo Técnico I", "DIB"),
    ("DIBTEC2", "Dibujo Técnico II", "DIB"),
    ("FIL", "Filosofía", "FIL"),
    ("IFIL", "Iniciación a la Filosofía", "FIL"),
    ("HFI", "Historia de la Filosofía", "FIL"),
    ("TUT", "Tutoría", None),  # taught by each group's tutor
]

ACTIVITY_TYPES = [
    ("GUA", "Guardia"),
    ("GBIB", "Guardia de Biblioteca"),
    ("RDEP", "Reunión de Departamento"),
    ("TPAD", "Tutoría de Padres"),
]

TEACHINGS = [
    ("ESO", "Educación Secundaria Obligatoria"),
    ("BACHC", "Bachillerato de Ciencias y Tecnología"),
    ("BACHH", "Bachillerato de Humanidades y Ciencias Sociales"),
]

# Weekly load of each course: (subject, hours) in the school file's form, two digits, a
# decimal comma and two decimals. A pair "A/B" gives the subject of the first letters and
# of the last. 02,75 hours are three sessions of 55 minutes; 00,92 one.
COURSES = [
    # teaching, course, code stem, letters, loads
    ("ESO", "1", "1E", "ABCDE", [
        ("MAT", 4), ("LCL", 4), ("ING", 4), ("GEH", 3), ("BIOGEO", 3), ("EF", 2),
        ("EPVA", 2), ("MUS", 2), ("FRA", 2), ("TUT", 1), ("RMAT", 1), ("RLEN", 1),
        ("ORAL", 1)]),
    ("ESO", "2", "2E", "ABCDE", [
        ("MAT", 4), ("LCL", 4), ("ING", 3), ("ORAL", 1), ("GEH", 3), ("FYQ", 3), ("EF", 2),
        ("EPVA", 2), ("MUS", 2), ("TYD", 2), ("FRA", 2), ("TUT", 1), ("RMAT", 1)]),
    ("ESO", "3", "3E", "ABCD", [
        ("MAT", 4), ("LCL", 4), ("ING", 3), ("GEH", 3), ("BIOGEO", 2), ("FYQ", 2),
        ("EF", 2), ("MUS", 2), ("TYD", 2), ("FRA", 2), ("TUT", 1), ("IFIL", 1),
        ("TLIT", 1), ("RMAT", 1)]),
    ("ESO", "4", "4E", "ABCD", [
        ("MATB/MATA", 4), ("LCL", 4), ("ING", 3), ("GEH", 3), ("EF", 2), ("BIOGEO", 3),
        ("FYQ", 3), ("TEC", 2), ("FRA", 2), ("FIL", 1), ("TUT", 1), ("RMAT", 1),
        ("ORAL", 1)]),
    ("BACHC", "1", "1BC", "ABC", [
        ("LCL1", 3), ("ING1", 3), ("FIL", 2.75), ("EF", 2), ("MAT1", 4), ("FYQ", 4),
        ("BGCA/DIBTEC1", 4), ("FRA1", 2), ("TUT", 1), ("TIC1", 2), ("LFYQ", 1),
        ("AMAT", 1)]),
    ("BACHC", "2", "2BC", "ABC", [
        ("LCL2", 3), ("ING2", 3), ("HES", 3), ("HFI", 3), ("MAT2", 4), ("FIS", 4),
        ("QUI", 3), ("BIO/DIBTEC2", 4), ("TUT", 0.92), ("AMAT", 1), ("LFYQ", 1)]),
    ("BACHH", "1", "1BH", "ABC", [
        ("LCL1", 3), ("ING1", 3), ("FIL", 2.75), ("EF", 2), ("MATCCSS1", 4), ("HMC", 4),
        ("LUN", 4), ("FRA1", 2), ("TUT", 1), ("TIC1", 2), ("TLIT", 1), ("AMAT", 1)]),
    ("BACHH", "2", "2BH", "ABC", [
        ("LCL2", 3), ("ING2", 3), ("HES", 3), ("HFI", 3), ("MATCCSS2", 4), ("HAR", 4),
        ("GEO", 4), ("FRA2", 2), ("TUT", 0.92), ("TLIT", 1), ("ORAL", 1), ("AMAT", 1)]),
]

COURSE_NAMES = {"1": "1º", "2": "2º", "3": "3º", "4": "4º"}
TEACHING_SHORT = {"ESO": "ESO", "BACHC": "Bachillerato Ciencias",
                  "BACHH": "Bachillerato HCS"}

# Rooms: ordinary classrooms on three floors, then the rooms of their own.
ROOMS = (
    [("A%d%02d" % (floor, n), "Aula %d.%02d" % (floor, n))
     for floor in (1, 2, 3) for n in range(1, 9)]
    + [
        ("INF1", "Aula de Informática 1"),
        ("INF2", "Aula de Informática 2"),
        ("LFQ", "Laboratorio de Física y Química"),
        ("LBG", "Laboratorio de Biología y Geología"),
        ("TTEC", "Taller de Tecnología"),
        ("DIB", "Aula de Dibujo y Plástica"),
        ("MUS", "Aula de Música"),
        ("GIM", "Pabellón de Educación Física"),
        ("BIB", "Biblioteca"),
        ("SUM", "Salón de Usos Múltiples"),
    ]
)

# Six sessions a day, the fourth after the break one of 60 minutes.
SESSION_TIMES = [
    ("08:30", "09:25"), ("09:25", "10:20"), ("10:20", "11:15"),
    ("11:45", "12:45"), ("12:45", "13:40"), ("13:40", "14:35"),
]
DAYS = ["L", "M", "X", "J", "V"]

GIVEN_NAMES = [
    "María José", "Antonio", "Carmen", "José Luis", "Ana Belén", "Francisco", "Lucía",
    "Manuel", "Inmaculada", "Javier", "Rocío", "Jesús", "Mercedes", "Ángel", "Begoña",
    "Raúl", "Nuria", "Sergio", "Pilar", "Andrés", "Concepción", "Íñigo", "Elena", "Rubén",
    "Montserrat", "Óscar", "Beatriz", "Víctor", "Rosario", "Álvaro", "Silvia", "Joaquín",
    "Marta", "Fernando", "Encarnación", "Adrián", "Yolanda", "Ramón", "Sonia", "Agustín",
    "Verónica", "Emilio", "Araceli", "Tomás", "Esperanza", "Germán", "Leticia", "Julián",
    "Noelia", "Ignacio", "Macarena", "Gonzalo", "Remedios", "Martín", "Susana", "Alfonso",
    "Eva María", "Rafael", "Lourdes", "Héctor", "Milagros", "Jorge",
]
SURNAMES = [
    "García", "Fernández", "González", "Rodríguez", "López", "Martínez", "Sánchez", "Pérez",
    "Gómez", "Martín", "Jiménez", "Ruiz", "Hernández", "Díaz", "Moreno", "Muñoz", "Álvarez",
    "Romero", "Alonso", "Gutiérrez", "Navarro", "Torres", "Domínguez", "Vázquez", "Ramos",
    "Gil", "Ramírez", "Serrano", "Blanco", "Molina", "Morales", "Suárez", "Ortega",
    "Delgado", "Castro", "Ortiz", "Rubio", "Marín", "Sanz", "Núñez", "Iglesias", "Medina",
    "Garrido", "Cortés", "Castillo", "Santos", "Lozano", "Guerrero", "Cano", "Prieto",
    "Méndez", "Cruz", "Calvo", "Gallego", "Vidal", "León", "Márquez", "Herrera", "Peña",
    "Flores", "Cabrera", "Campos", "Vega", "Fuentes", "Carrasco", "Díez", "Caballero",
    "Reyes", "Nieto", "Aguilar", "Pascual", "Santana", "Herrero", "Lorenzo", "Montero",
    "Hidalgo", "Giménez", "Ibáñez", "Ferrer", "Durán", "Santiago", "Benítez", "Mora",
    "Vicente", "Vargas", "Arias", "Carmona", "Crespo", "Román", "Pastor", "Soto", "Sáez",
    "Velasco", "Moya", "Soler", "Parra", "Esteban", "Bravo", "Gallardo", "Rojas",
]

STAFF = 60


class Lcg:
    """A small linear congruential generator: the same numbers on every Python."""

    def __init__(self, seed):
        self.state = seed

    def below(self, n):
        self.state = (self.state * 1103515245 + 12345) % (1 << 31)
        return (self.state >> 8) % n


def groups():
    """(code, name, teaching, course, letter, loads) for every group, in file order."""
    result = []
    for teaching, course, stem, letters, loads in COURSES:
        for index, letter in enumerate(letters):
            group_loads = []
            for subject, hours in loads:
                if "/" in subject:
                    first, last = subject.split("/")
                    subject = first if index < (len(letters) + 1) // 2 else last
                group_loads.append((subject, hours))
            name = "%s %s %s" % (COURSE_NAMES[course], TEACHING_SHORT[teaching], letter)
            result.append((stem + letter, name, teaching, course, letter, group_loads))
    return result


def staff_per_department(all_groups):
    """Teachers per department in proportion to its weekly hours (largest remainder)."""
    department_of = {code: dep for code, _, dep in SUBJECTS}
    hours = {code: 0.0 for code, _ in DEPARTMENTS}
    for *_, loads in all_groups:
        for subject, h in loads:
            if department_of[subject] is not None:
                hours[department_of[subject]] += h
    total = sum(hours.values())
    shares = {dep: STAFF * h / total for dep, h in hours.items()}
    counts = {dep: max(1, int(share)) for dep, share in shares.items()}
    by_remainder = sorted(hours, key=lambda dep: (-(shares[dep] - int(shares[dep])), dep))
    for dep in by_remainder[: STAFF - sum(counts.values())]:
        counts[dep] += 1
    return counts


def teachers(counts):
    """(code, given name, surname 1, surname 2, department) for the whole staff."""
    random = Lcg(20262027)
    codes = set()
    names = set()
    result = []
    for dep, _ in DEPARTMENTS:
        for _ in range(counts[dep]):
            code = "%04d" % (100 + random.below(4900))
            while code in codes:
                code = "%04d" % (100 + random.below(4900))
            codes.add(code)
            while True:
                person = (GIVEN_NAMES[random.below(len(GIVEN_NAMES))],
                          SURNAMES[random.below(len(SURNAMES))],
                          SURNAMES[random.below(len(SURNAMES))])
                if person[1] != person[2] and person not in names:
                    break
            names.add(person)
            result.append((code,) + person + (dep,))
    return result


def hours_text(hours):
    return ("%05.2f" % hours).replace(".", ",")


def element(name, attributes, close=True):
    text = "<" + name + "".join(" %s=%s" % (k, quoteattr(v)) for k, v in attributes)
    return text + ("/>" if close else ">")


def school_file():
    all_groups = groups()
    staff = teachers(staff_per_department(all_groups))
    # Tutors: one teacher per group, taken department by department in turn.
    by_department = {}
    for person in staff:
        by_department.setdefault(person[4], []).append(person[0])
    rota = []
    depth = 0
    while len(rota) < len(all_groups):
        for dep, _ in DEPARTMENTS:
            if depth < len(by_department[dep]):
                rota.append(by_department[dep][depth])
        depth += 1

    lines = ['<?xml version="1.0" encoding="UTF-8"?>',
             "<!-- Exportación de Ordalis para Velmora: %s, curso %s -->"
             % (SCHOOL["Nombre"], SCHOOL["CursoEscolar"]),
             element("Centro", SCHOOL.items(), close=False)]

    def section(container, rows):
        lines.append("  <%s>" % container)
        lines.extend("    " + row for row in rows)
        lines.append("  </%s>" % container)

    section("Materias", [element("Materia", [("Codigo", c), ("Denominacion", n)])
                         for c, n, _ in SUBJECTS])
    section("TiposActividad", [element("TipoActividad", [("Codigo", c), ("Denominacion", n)])
                               for c, n in ACTIVITY_TYPES])
    section("Departamentos", [element("Departamento", [("Codigo", c), ("Denominacion", n)])
                              for c, n in DEPARTMENTS])
    section("Profesores", [element("Profesor", [
        ("Codigo", code), ("Nombre", given), ("Apellido1", first), ("Apellido2", second),
        ("CodigoDep", dep)]) for code, given, first, second, dep in staff])
    section("Aulas", [element("Aula", [("Codigo", c), ("Denominacion", n)]) for c, n in ROOMS])
    section("Ensenanzas", [element("Ensenanza", [("Codigo", c), ("Denominacion", n)])
                           for c, n in TEACHINGS])
    lines.append("  <Grupos>")
    for index, (code, name, teaching, course, letter, loads) in enumerate(all_groups):
        lines.append("    " + element("Grupo", [
            ("Codigo", code), ("Denominacion", name), ("CodigoEnsenanza", teaching),
            ("Turno", "M"), ("Curso", course), ("Letra", letter),
            ("CodigoTutor", rota[index])], close=False))
        lines.append("      <MateriasGrupo>")
        for subject, hours in loads:
            lines.append("        " + element("MateriaGrupo", [
                ("Codigo", subject), ("Horas", hours_text(hours))]))
        lines.append("      </MateriasGrupo>")
        lines.append("    </Grupo>")
    lines.append("  </Grupos>")
    section("Sesiones", [element("Sesion", [("Dia", day), ("HoraInicio", start),
                                            ("HoraFin", end)])
                         for day in DAYS for start, end in SESSION_TIMES])
    lines.append("</Centro>")
    return "\n".join(lines) + "\n"


def main():
    output = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "centro.xml")
    with open(output, "w", encoding="utf-8", newline="\n") as out:
        out.write(school_file())


if __name__ == "__main__":
    main()
