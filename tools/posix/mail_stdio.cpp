// Standard input and output already carry bytes unchanged here.
namespace vesko::tools {

void SetBinaryStdioForMailDebug() {}

}  // namespace vesko::tools
