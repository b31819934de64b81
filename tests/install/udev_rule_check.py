"""Checks the syntax of a udev rules file where no `udevadm verify` exists: each rule is a
comma-separated list of KEY[{attribute}] OPERATOR "value" pairs with known keys, at least one
match and one assignment, and values in double quotes. Exit status 0 when every rule is sound.

usage: udev_rule_check.py <rules file>"""

import re
import sys

MATCH_KEYS = {"ACTION", "DEVPATH", "KERNEL", "KERNELS", "NAME", "SYMLINK", "SUBSYSTEM",
              "SUBSYSTEMS", "DRIVER", "DRIVERS", "ATTR", "ATTRS", "SYSCTL", "ENV", "CONST",
              "TAG", "TAGS", "TEST", "PROGRAM", "RESULT"}
ASSIGN_KEYS = {"NAME", "SYMLINK", "OWNER", "GROUP", "MODE", "SECLABEL", "ATTR", "SYSCTL", "ENV",
               "TAG", "RUN", "LABEL", "GOTO", "IMPORT", "OPTIONS"}
WITH_ATTRIBUTE = {"ATTR", "ATTRS", "SYSCTL", "ENV", "CONST", "TEST", "SECLABEL", "RUN", "IMPORT"}
OPTIONAL_ATTRIBUTE = {"TEST", "RUN", "IMPORT"}
PAIR = re.compile(r'\s*([A-Z_]+)(\{[^}]+\})?\s*(==|!=|\+=|-=|:=|=)\s*"((?:[^"\\]|\\.)*)"\s*')


def check_rule(rule):
    position, matches, assignments, problems = 0, 0, 0, []
    while position < len(rule):
        found = PAIR.match(rule, position)
        if not found:
            return ["cannot read a KEY OPERATOR \"value\" pair at: " + rule[position:]]
        key, attribute, operator, _ = found.groups()
        if attribute is None and key in WITH_ATTRIBUTE and key not in OPTIONAL_ATTRIBUTE:
            problems.append("%s needs an attribute in braces" % key)
        if attribute is not None and key not in WITH_ATTRIBUTE:
            problems.append("%s takes no attribute" % key)
        if operator in ("==", "!="):
            matches += 1
            if key not in MATCH_KEYS:
                problems.append("%s cannot be matched" % key)
        else:
            assignments += 1
            if key not in ASSIGN_KEYS:
                problems.append("%s cannot be assigned" % key)
        position = found.end()
        if position < len(rule):
            if rule[position] != ",":
                return problems + ["a comma must separate the pairs at: " + rule[position:]]
            position += 1
    if matches == 0:
        problems.append("no match")
    if assignments == 0:
        problems.append("no assignment")
    return problems


def main():
    rules, failed = 0, False
    with open(sys.argv[1], encoding="utf-8") as rules_file:
        text = rules_file.read().replace("\\\n", "")
    for number, line in enumerate(text.splitlines(), 1):
        if not line.strip() or line.lstrip().startswith("#"):
            continue
        rules += 1
        for problem in check_rule(line):
            print("%s:%d: %s" % (sys.argv[1], number, problem))
            failed = True
    if rules == 0:
        print("%s: no rule" % sys.argv[1])
        failed = True
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
