"""The checks of a release test: each failure printed as it is found, then a count and the
exit code."""


class Checks:
    def __init__(self):
        self.failures = []

    def expect(self, condition, what):
        if not condition:
            self.failures.append(what)
            print("FAILED:", what)
        return condition

    def result(self):
        print(f"{len(self.failures)} failures")
        return 1 if self.failures else 0
