#pragma once
class TAssembleOutput { public: TAssembleOutput() = default; };
